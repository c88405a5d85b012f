#pragma once

#include <string>
#include <string_view>

#include "link/bytes.h"

namespace kdx {

inline constexpr std::string_view kStatusOk = "9000";

// The text of a memory card's status word, given as four upper-case hex
// digits, SW1 first ("9000" is "Execute OK"); "Unknow Error" for any word
// the table does not hold.
std::string_view StatusWordText(std::string_view statusWord);

// SW1 and SW2 as the four hex digits the table is keyed by.
std::string StatusWord(std::uint8_t sw1, std::uint8_t sw2);

}  // namespace kdx
