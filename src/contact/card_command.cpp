#include "contact/card_command.h"

#include <array>

#include "contact/status_words.h"

namespace kdx {

namespace {

// The 24Cxx kind codes "1" to ":" of the activation and status replies.
constexpr std::array<std::string_view, 10> kAt24Kinds{
    "24C01", "24C02", "24C04", "24C08", "24C16", "24C32", "24C64", "24C128", "24C256", "24C512"};

}  // namespace

ApduBuilder& ApduBuilder::field(std::string_view text) {
  const auto value = ParseHexByte(text);
  if (!value) ok = false;
  return add(value.value_or(0));
}

ApduBuilder& ApduBuilder::lengthAndGridData(std::string_view length, const CellGrid& grid) {
  const auto n = ParseHexByte(length);
  if (!n) {
    ok = false;
    return *this;
  }
  const auto data = StrictGridBytes(grid, 0, *n);
  if (!data) {
    ok = false;
    return *this;
  }
  add(*n);
  bytes.insert(bytes.end(), data->begin(), data->end());
  return *this;
}

Outgoing ApduBuilder::outgoing() const {
  return ok ? Outgoing::Send(bytes) : Outgoing::Refuse(kCheckData);
}

void ShowCardReply(Session& session, CellGrid& grid, CardReplyUse use, const Reply& reply) {
  const ByteView data = reply.data();
  if (data.size() < 2) {
    // No status word to read: nothing the operator could be told is true.
    ShowCaution(session.messages, kCheckData);
    return;
  }
  const ByteView cardData = data.first(data.size() - 2);
  const std::string word = StatusWord(data[data.size() - 2], data[data.size() - 1]);
  std::string text(StatusWordText(word));
  if (word == kStatusOk && use == CardReplyUse::Grid) {
    WriteGridBytes(grid, cardData);
    if (cardData.size() > static_cast<std::size_t>(grid.cellCount())) {
      ShowCaution(session.messages, kCheckData);
      return;
    }
  }
  if (word == kStatusOk && use == CardReplyUse::Inline) {
    text += kCrLf + HexBytes(cardData, "");
  }
  session.messages.show(kTransmitCommand, text + kCrLf + word, Icon::Information);
}

void ShowSleActivation(Session& session, const Reply& reply) {
  const ByteView data = reply.data();
  if (data.size() < 4) return;
  const Bytes answer(data.begin(), data.begin() + 4);
  std::string_view text;
  if (answer == Bytes{0xA2, 0x13, 0x10, 0x91}) text = "SLE4442 Activate success";
  if (answer == Bytes{0x92, 0x23, 0x10, 0x91}) text = "SLE4428 Activate success";
  if (!text.empty()) session.messages.show("Activate", text, Icon::Information);
}

void ShowSleStatus(Session& session, const Reply& reply) {
  const ByteView data = reply.data();
  if (data.empty()) return;
  std::string_view text;
  switch (data[0]) {
    case '0':
      text = "SLE4442/4428 Deactivated";
      break;
    case '1':
      text = "SLE4442 Activated";
      break;
    case '2':
      text = "SLE4428 Activated";
      break;
    default:
      return;
  }
  session.messages.show("Inquire Status", text, Icon::Information);
}

void ShowAt24Activation(Session& session, const Reply& reply) {
  const ByteView data = reply.data();
  if (data.empty() || data[0] < '1' || data[0] > ':') return;
  const std::string kind(kAt24Kinds[static_cast<std::size_t>(data[0] - '1')]);
  session.messages.show("Activate", kind + " Activate Success", Icon::Information);
}

void ShowAt24Status(Session& session, const Reply& reply) {
  const ByteView data = reply.data();
  // The status knows no 24C512: ":" shows nothing.
  if (data.empty() || data[0] < '0' || data[0] > '9') return;
  const std::string text =
      data[0] == '0'
          ? std::string("Non_card(24CXXX) actived")
          : std::string(kAt24Kinds[static_cast<std::size_t>(data[0] - '1')]) + " actived";
  session.messages.show("Inquire Status)", text, Icon::Information);
}

}  // namespace kdx
