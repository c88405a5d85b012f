#pragma once

#include <optional>
#include <string_view>

#include "rf/rf_context.h"

namespace kdx {

// The most APDU bytes one frame carries: its length byte holds n + 3.
inline constexpr std::size_t kMaxApduBytes = 252;

// The APDU text as bytes: pairs of characters, each pair trimmed of blanks
// and read as a hex number of one or two digits. Nothing for an odd length,
// more than 252 bytes, or a pair that is not hex (pasted text).
std::optional<Bytes> ApduBytes(std::string_view text);

// "Send APDU" on the Type A and Type B tabs: empties the tab's response box,
// then sends the APDU unchanged or refuses it before anything goes out.
Outgoing TypeAApduRequest(RfContext& context);
Outgoing TypeBApduRequest(RfContext& context);

// The card's response, status word included, into the tab's response box,
// and "Success" whatever the status word says.
void ShowApduResponse(RfContext& context, const RfOperation& row, const Reply& reply);

}  // namespace kdx
