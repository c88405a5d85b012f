#include "rf/mifare_exchange.h"

#include "link/conversions.h"

namespace kdx {

Bytes MifareInstruction(std::uint8_t instruction, std::uint8_t p1, std::uint8_t p2) {
  return {0x00, instruction, p1, p2};
}

Bytes MifareInstruction(std::uint8_t instruction, std::uint8_t p1, std::uint8_t p2,
                        std::uint8_t lengthByte, ByteView data) {
  Bytes block;
  block.reserve(5 + data.size());
  for (std::uint8_t b : {std::uint8_t{0x00}, instruction, p1, p2, lengthByte}) block.push_back(b);
  for (std::uint8_t b : data) block.push_back(b);
  return block;
}

std::string StatusText(const Reply& reply) {
  const ByteView data = reply.data();
  return HexBytes(data.last(std::min<std::size_t>(data.size(), 2)), "");
}

ByteView DataBeforeStatus(const Reply& reply) {
  const ByteView data = reply.data();
  return data.size() < 2 ? ByteView() : data.first(data.size() - 2);
}

std::string_view ResultLine(std::string_view status, std::string_view success) {
  if (status == kStatusSuccess) return success;
  if (status == kStatusFailure) return kExecuteError;
  return "";
}

std::string MifareMessage(std::string_view heading, std::string_view result,
                          std::string_view status) {
  std::string text(heading);
  text += kCrLf;
  text += result;
  text += kCrLf;
  text += status;
  return text;
}

namespace {

void ShowResult(RfContext& context, const RfOperation& row, const Reply& reply,
                std::string_view success) {
  const std::string status = StatusText(reply);
  context.session.messages.show(row.boxTitle,
                                MifareMessage(row.boxText, ResultLine(status, success), status),
                                Icon::Information);
}

}  // namespace

void ShowMifareResult(RfContext& context, const RfOperation& row, const Reply& reply) {
  ShowResult(context, row, reply, kExecuteOk);
}

void ShowKeyDownloadResult(RfContext& context, const RfOperation& row, const Reply& reply) {
  ShowResult(context, row, reply, "Exxcute OK");
}

std::optional<std::uint8_t> HexListPosition(std::string_view text, int count) {
  const auto value = ParseHexByte(TrimBlanks(text));
  if (!value || *value >= count) return std::nullopt;
  return value;
}

Outgoing RefuseInput() {
  return Outgoing::Refuse(kCheckData, false);
}

}  // namespace kdx
