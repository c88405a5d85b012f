#pragma once

#include <cstdint>
#include <string>

#include "link/bytes.h"

namespace kdx {

// One line that explains a card's status word SW1 SW2 (ISO/IEC 7816-4):
// "9000: normal processing", "6114: 20 bytes waiting, fetch them with GET
// RESPONSE (00C0000014)", "63C2: warning, 2 tries left", ..., and
// "unknown status word" for the rest.
std::string StatusWordLine(std::uint8_t sw1, std::uint8_t sw2);

// The line for the last two bytes of a response APDU; empty when it has
// fewer than two.
std::string ResponseStatusLine(ByteView response);

}  // namespace kdx
