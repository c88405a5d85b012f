#include "rf/apdu_operations.h"

#include "link/conversions.h"
#include "rf/mifare_exchange.h"

namespace kdx {

namespace {

Outgoing ApduRequest(RfContext& context, ApduTab tab) {
  context.view.setApduResponse(tab, "");
  const RfInputs in = context.view.inputs();
  const auto apdu = ApduBytes(tab == ApduTab::TypeA ? in.apduA : in.apduB);
  if (!apdu) return RefuseInput();
  return Outgoing::Send(*apdu);
}

}  // namespace

std::optional<Bytes> ApduBytes(std::string_view text) {
  if (text.size() % 2 != 0 || text.size() / 2 > kMaxApduBytes) return std::nullopt;
  Bytes bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const auto value = HexListPosition(text.substr(i, 2), 256);
    if (!value) return std::nullopt;
    bytes.push_back(*value);
  }
  return bytes;
}

Outgoing TypeAApduRequest(RfContext& context) {
  return ApduRequest(context, ApduTab::TypeA);
}

Outgoing TypeBApduRequest(RfContext& context) {
  return ApduRequest(context, ApduTab::TypeB);
}

void ShowApduResponse(RfContext& context, const RfOperation& row, const Reply& reply) {
  const ApduTab tab = row.parameter == kRfTypeBApdu ? ApduTab::TypeB : ApduTab::TypeA;
  context.view.setApduResponse(tab, HexBytes(reply.data(), ""));
  context.session.messages.show(row.boxTitle, row.boxText, Icon::Information);
}

}  // namespace kdx
