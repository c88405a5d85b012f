#include "contact/cpu_card.h"

#include <array>

#include "link/conversions.h"

namespace kdx {

namespace {

// Reply positions, from 0: "P" or "N", command, parameter, then three
// status bytes (positive) or two error code bytes (negative); the data end
// before ETX and the check byte.
constexpr std::size_t kErrorCode = 3;
constexpr std::size_t kNegativeData = 5;
constexpr std::size_t kPositiveData = 6;

// The bytes from position `from` up to the end of text; none when the reply
// does not reach that far.
Bytes ReplyRange(const Reply& reply, std::size_t from) {
  const std::size_t end = reply.bytes.size() >= 2 ? reply.bytes.size() - 2 : 0;
  if (from >= end) return {};
  return Bytes(reply.bytes.begin() + static_cast<std::ptrdiff_t>(from),
               reply.bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

ResetAnswer SplitReset(Bytes data) {
  ResetAnswer answer;
  if (data.empty()) return answer;
  answer.protocol = data.front();
  answer.atr.assign(data.begin() + 1, data.end());
  return answer;
}

}  // namespace

ResetAnswer PositiveResetAnswer(const Reply& reply) {
  if (!reply.positive()) return {};
  return SplitReset(ReplyRange(reply, kPositiveData));
}

bool IsEmvRefusal(const Reply& reply) {
  return reply.negative() && reply.bytes.size() > kErrorCode + 1 &&
         reply.bytes[kErrorCode] == '6' && reply.bytes[kErrorCode + 1] == '9';
}

ResetAnswer EmvRefusalAnswer(const Reply& reply) {
  if (!reply.negative()) return {};
  return SplitReset(ReplyRange(reply, kNegativeData));
}

Bytes NegativeReplyData(const Reply& reply) {
  if (!reply.negative()) return {};
  return ReplyRange(reply, kNegativeData);
}

std::optional<std::uint8_t> ReplyDataByte(const Reply& reply, std::size_t index) {
  if (!reply.positive() || index == 0) return std::nullopt;
  const Bytes data = ReplyRange(reply, kPositiveData);
  if (index > data.size()) return std::nullopt;
  return data[index - 1];
}

ApduText ParseApduText(std::string_view text) {
  ApduText out;
  if (text.size() % 2 != 0) {
    out.error = ApduTextError::OddLength;
    return out;
  }
  if (text.size() > kMaxApduDigits) {
    out.error = ApduTextError::BadPair;
    return out;
  }
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const auto byte = ParseHexByte(TrimBlanks(text.substr(i, 2)));
    if (!byte) {
      out.bytes.clear();
      out.error = ApduTextError::BadPair;
      return out;
    }
    out.bytes.push_back(*byte);
  }
  return out;
}

std::optional<std::uint8_t> SamSocketCode(std::string_view text) {
  for (int n = 1; n <= 14; ++n) {
    if (text == "SAM " + std::to_string(n)) return static_cast<std::uint8_t>('0' + n - 1);
  }
  return std::nullopt;
}

std::string_view CardPowerText(std::uint8_t state) {
  switch (state) {
    case '0':
      return "Card is not activated";
    case '1':
      return "The card has been activated, working frequency of 3.57 MHZ";
    case '2':
      return "The card has been activated, working frequency of 7.16 MHZ";
    default:
      return "";
  }
}

std::string_view SamSocketText(std::uint8_t socket) {
  static constexpr std::array<std::string_view, 5> kTexts{
      "Current SAM card is  No.1 ", "Current SAM card is  No.2", "Current SAM card is  No.3",
      "Current SAM card is  No.4", "Current SAM card is  No.5"};
  if (socket < '0' || socket > '4') return "";
  return kTexts[socket - '0'];
}

std::string CpuCardStatusText(const Reply& reply, bool withSocket) {
  const auto state = ReplyDataByte(reply, 1);
  std::string text(state ? CardPowerText(*state) : "");
  if (!withSocket) return text;
  const auto socket = ReplyDataByte(reply, 2);
  text += kCrLf;
  if (socket) text += SamSocketText(*socket);
  return text;
}

}  // namespace kdx
