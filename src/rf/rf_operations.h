#pragma once

#include <span>
#include <string_view>

#include "rf/rf_context.h"

namespace kdx {

// The frames and tabs of the RF CARD tab the buttons stand in.
inline constexpr std::string_view kActivationRow = "RF CARD";
inline constexpr std::string_view kKeyFrame = "Password operation commands";
inline constexpr std::string_view kBlockFrame = "Read / Write RF Card Data";
inline constexpr std::string_view kPurseFrame = "PURSE COMMAND";
inline constexpr std::string_view kPageFrame = "UL Card Command";
inline constexpr std::string_view kTypeAFrame = "ISO/IEC 14443 TYPE A";
inline constexpr std::string_view kTypeBFrame = "ISO/IEC 14443 TYPE B";

// Every contactless button, one row each: activation, sector keys, blocks,
// purse, Ultralight pages, the two APDU tabs. Each runs the contactless
// handler sequence: link check, monitor prologue, the row's check (which
// empties the displays the operation fills and refuses what must not be
// sent), the exchange, the row's reply handling, CR LF.
std::span<const RfOperation> RfOperations();

// The row of button `control`, or nullptr.
const RfOperation* FindRfOperation(std::string_view control);

CommandOutcome RunRfOperation(RfContext& context, const RfOperation& row);

}  // namespace kdx
