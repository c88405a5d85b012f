#pragma once

#include <cstdint>
#include <string>

namespace kdx {

// Fields that the answer to select of a Type A card and the answer to
// request of a Type B card share (ISO/IEC 14443-3 and -4).

// The bit rates in both directions a rate byte offers (106 kbit/s always),
// and whether both directions must use the same divisor.
std::string BitRates(std::uint8_t rates);

// A frame size code (FSCI, FSDI, maximum frame size) as bytes.
std::string FrameSize(std::uint8_t code);

// The frame waiting time of FWI, or the start-up guard time of SFGI:
// 256 x 16 / fc x 2^n, with fc = 13.56 MHz.
std::string WaitingTime(std::uint8_t exponent);

}  // namespace kdx
