#pragma once

#include <array>

#include "model/command_set.h"

namespace kdx::sim {

// The reply text: "P", command, parameter, three status bytes, data; or
// "N", command, parameter, the two error code bytes.
Bytes ReplyText(const Command& command, const Response& response,
                const std::array<std::uint8_t, 3>& status);

// The reply frame around a text: STX, address, length high and low, the
// text, ETX and the check byte (XOR of everything before it).
Bytes ReplyFrame(std::uint8_t address, const Bytes& text);

}  // namespace kdx::sim
