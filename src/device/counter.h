#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/device_context.h"

namespace kdx {

inline constexpr std::uint8_t kCounterCommand = 0xA5;
inline constexpr std::uint8_t kReadCounterParameter = '0';
inline constexpr std::uint8_t kSetCounterParameter = '1';

// The field's text as the three digits to send: zero to three decimal digits
// padded on the left with "0" ("" -> "000", "7" -> "007"); nothing for any
// other text.
std::optional<std::string> PadCounter(std::string_view text);

// "Read Counter" empties the field before sending.
Outgoing EmptyCounterField(DeviceContext& context);
// A positive reply's data, as characters, fills the field and the row's box
// confirms it. Data that is not three decimal digits or fewer is refused with
// the data caution and the field stays empty.
void ShowCounter(DeviceContext& context, const DeviceOperation& row, const Reply& reply);

// "InitializeI Counter" pads the field to three digits, writes the padded
// text back and sends it as the command's three data bytes. A field that is
// not three decimal digits or fewer is refused with the data caution before
// anything is sent; the monitor still gets its CR LF.
Outgoing PaddedCounter(DeviceContext& context);

}  // namespace kdx
