// Purse (value block) commands and Ultralight pages.
#include <algorithm>
#include <cstdint>

#include "rf/mifare_exchange.h"
#include "rf/mifare_operations.h"

namespace kdx {

namespace {

constexpr std::uint32_t kMaxPurseValue = 2147483647;
constexpr int kPageLength = 4;

// Sector and block of a purse operation; the manufacturer block and the
// sector trailers are refused.
Outgoing PurseRequest(RfContext& context, std::uint8_t instruction, bool withValue) {
  const RfInputs in = context.view.inputs();
  const std::uint8_t sector = in.sector, block = in.purseBlock;
  if ((sector == 0 && block == 0) || block == TrailerBlock(sector)) {
    return Outgoing::Refuse(kNoPurseBlock, false);
  }
  if (!withValue) return Outgoing::Send(MifareInstruction(instruction, sector, block));
  const auto value = PurseValueBytes(in.purseValue);
  if (!value) return RefuseInput();
  return Outgoing::Send(MifareInstruction(instruction, sector, block, 0x04, *value));
}

}  // namespace

std::optional<Bytes> PurseValueBytes(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kMaxPurseValue) return std::nullopt;
  }
  return Bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Outgoing InitValueRequest(RfContext& context) {
  return PurseRequest(context, kInitValueInstruction, true);
}

Outgoing IncrementRequest(RfContext& context) {
  return PurseRequest(context, kIncrementInstruction, true);
}

Outgoing DecrementRequest(RfContext& context) {
  return PurseRequest(context, kDecrementInstruction, true);
}

Outgoing ReadValueRequest(RfContext& context) {
  return PurseRequest(context, kReadValueInstruction, false);
}

// A successful read shows the first four data bytes, least significant
// first, as a decimal number; a reply without four bytes before its status
// word leaves the field as it was.
void ShowPurseValue(RfContext& context, const RfOperation& row, const Reply& reply) {
  const ByteView data = DataBeforeStatus(reply);
  if (StatusText(reply) == kStatusSuccess && data.size() >= 4) {
    const std::uint32_t value = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
    context.view.setPurseValue(std::to_string(value));
  }
  ShowMifareResult(context, row, reply);
}

Outgoing ReadPageRequest(RfContext& context) {
  const std::uint8_t page = context.view.inputs().page;
  return Outgoing::Send(MifareInstruction(kReadBlockInstruction, page, 0x00, 0x01));
}

// The cells first, then the vendor pages 0 and 1, then the question before
// the lock page 2 is written.
Outgoing WritePageRequest(RfContext& context) {
  const RfInputs in = context.view.inputs();
  const auto data = StrictGridBytes(in.pageCells, 0, kPageLength);
  if (!data) return Outgoing::Refuse(kFillCellsFirst, false);
  if (in.page < 2) return Outgoing::Refuse(kVendorPages, false);
  if (in.page == 2 &&
      !context.session.messages.askOkCancel(kCaution, kModifyTrailer, Icon::Question)) {
    return Outgoing::Withdraw();
  }
  return Outgoing::Send(MifareInstruction(kWriteBlockInstruction, in.page, 0x00, 0x01, *data));
}

void ShowPageRead(RfContext& context, const RfOperation& row, const Reply& reply) {
  if (StatusText(reply) == kStatusSuccess) {
    const ByteView data = DataBeforeStatus(reply);
    WriteGridBytes(context.view.pageGrid(),
                   data.first(std::min<std::size_t>(data.size(), kPageLength)));
  }
  ShowMifareResult(context, row, reply);
}

}  // namespace kdx
