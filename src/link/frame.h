#pragma once

#include <optional>
#include <string_view>

#include "link/bytes.h"

namespace kdx {

// Check byte of a complete command buffer whose last element is the check
// byte slot: the XOR of every element but the last. One element yields 0.
std::uint8_t ComputeBcc(ByteView buffer);

// XOR of buffer[0..last]; a `last` below 0 yields 0. `last` past the end is
// clamped to the buffer.
std::uint8_t ComputeBccRange(ByteView buffer, int last);

// F2, address, length high/low (data + 3), "C", command, parameter, data,
// ETX, check byte.
Bytes BuildCommand(std::uint8_t address, std::uint8_t command, std::uint8_t parameter,
                   ByteView data = {});

// The device address from the address text: a hexadecimal number from 0 to FF
// (one or more hex digits, either case, blanks around it ignored).
std::optional<std::uint8_t> ParseAddress(std::string_view text);

// Text length of a reply head (STX, address, length high, length low).
inline int ReplyTextLength(ByteView head) {
  return head[2] * 256 + head[3];
}

}  // namespace kdx
