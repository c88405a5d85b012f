#include "rf/activation.h"

#include <algorithm>

#include "link/conversions.h"
#include "rf/mifare_exchange.h"

namespace kdx {

namespace {

constexpr std::string_view kActivated = "The RF Card is activated";

// `count` bytes of `data` from `first`, cut at its end.
ByteView Slice(ByteView data, std::size_t first, std::size_t count = ByteView::extent) {
  if (first >= data.size()) return {};
  return data.subspan(first, std::min(count, data.size() - first));
}

std::string_view MifareName(std::uint8_t kind) {
  switch (kind) {
    case 0x44:
      return "Mifare one UL card";
    case 0x04:
      return "Mifare one S50 card";
    case 0x02:
      return "Mifare one S70 card";
    default:
      return "";
  }
}

}  // namespace

std::optional<Bytes> ProtocolBytes(std::string_view item) {
  static const Bytes kBytes[] = {{'A', 'B'}, {'B', 'A'}, {'A', '0'}, {'B', '0'}};
  for (std::size_t i = 0; i < std::size(kProtocolItems); ++i) {
    if (item == kProtocolItems[i]) return kBytes[i];
  }
  return std::nullopt;
}

Outgoing ActivationRequest(RfContext& context) {
  context.view.showCardFields({});
  const auto bytes = ProtocolBytes(context.view.inputs().protocol);
  if (!bytes) return RefuseInput();
  return Outgoing::Send(*bytes);
}

// Data field (reply position 6 on): kind; for Type A and Mifare the ATQA
// (two bytes, the second naming the Mifare kind), the UID length n and the
// UID; for Type A then the SAK (not shown) and the answer to select; for
// Type B the answer.
ActivationResult ReadActivation(const Reply& reply) {
  ActivationResult result;
  const ByteView data = reply.data();
  if (data.empty()) return result;
  const std::uint8_t kind = data[0];
  const std::size_t uidLength = data.size() > 3 ? data[3] : 0;
  const std::string uid = HexBytes(Slice(data, 4, uidLength), "");
  std::string message = std::string(kActivated) + " " + kCrLf;
  switch (kind) {
    case 'A':
      result.fields.typeAUid = uid;
      result.fields.typeAAnswer = HexBytes(Slice(data, 5 + uidLength), "");
      result.tabs = {kRfCardTab, kTypeATab};
      result.message = message + "the card in line with ISO / IEC 14443 Type A protocol";
      break;
    case 'B':
      result.fields.typeBAnswer = HexBytes(Slice(data, 1), "");
      result.tabs = {kRfCardTab, kTypeBTab};
      result.message = message + "the card in line with ISO / IEC 14443 Type B protocol";
      break;
    case 'M': {
      const std::uint8_t family = data.size() > 2 ? data[2] : 0;
      if (family == 0x44) {
        result.fields.ultralightUid = uid;
        result.tabs = {kRfCardTab, kMifareTab, kUltralightTab};
      } else if (family == 0x04 || family == 0x02) {
        result.fields.mifareUid = uid;
        result.tabs = {kRfCardTab, kMifareTab, kS50S70Tab};
      }
      result.message = std::string(kActivated) + kCrLf + std::string(MifareName(family));
      break;
    }
    default:
      break;
  }
  return result;
}

void ShowActivation(RfContext& context, const RfOperation& row, const Reply& reply) {
  const ActivationResult result = ReadActivation(reply);
  if (result.message.empty()) return;
  context.view.showCardFields(result.fields);
  if (!result.tabs.empty()) context.view.bringTabsToFront(result.tabs);
  context.session.messages.show(row.boxTitle, result.message, Icon::Information);
}

std::string_view RfStatusName(std::string_view code) {
  if (code == "00") return "Non_card";
  if (code == "10") return "Mifare one S50 card";
  if (code == "11") return "Mifare one S70 card";
  if (code == "12") return "Mifare one UL card";
  if (code == "20") return "Type A CPU card";
  if (code == "30") return "Type B CPU card";
  return "";
}

void ShowRfStatus(RfContext& context, const RfOperation& row, const Reply& reply) {
  const std::string code = BytesToText(Slice(reply.data(), 0, 2));
  context.session.messages.show(
      row.boxTitle, std::string(kActivated) + kCrLf + std::string(RfStatusName(TrimBlanks(code))),
      Icon::Information);
}

}  // namespace kdx
