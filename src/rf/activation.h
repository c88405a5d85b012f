#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rf/rf_context.h"

namespace kdx {

// The protocol preferences of RFCardUPCombbox, in list order.
inline constexpr std::string_view kProtocolItems[] = {"Type A,Type B", "Type B,Type A",
                                                      "Type A(Only)", "Type B(Only)"};

// The two activation data bytes for a protocol item; nothing for a text that
// is not one of the items.
std::optional<Bytes> ProtocolBytes(std::string_view item);

// "Activate": empties the identity fields, then sends the protocol
// preference; a text that is not one of the items is refused.
Outgoing ActivationRequest(RfContext& context);

// What an activation reply shows of the card, the tabs it brings to the
// front and the message; read only as far as the reply reaches.
struct ActivationResult {
  RfCardFields fields;
  std::vector<TabStop> tabs;
  std::string message;  // empty: no message
};
ActivationResult ReadActivation(const Reply& reply);

void ShowActivation(RfContext& context, const RfOperation& row, const Reply& reply);

// The card named by the status reply's two characters, trimmed: "Non_card",
// "Mifare one S50 card", ...; empty for any other code.
std::string_view RfStatusName(std::string_view code);

// "Inquire Status": the card name under "The RF Card is activated".
void ShowRfStatus(RfContext& context, const RfOperation& row, const Reply& reply);

}  // namespace kdx
