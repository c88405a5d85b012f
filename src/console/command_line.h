#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "link/bytes.h"

namespace kdx {

// The largest frame a console line can make: F2, address, two length bytes,
// the text, ETX and the check byte in a buffer of 1025 bytes.
inline constexpr std::size_t kConsoleFrameBuffer = 1025;
inline constexpr std::size_t kMaxConsoleText = kConsoleFrameBuffer - 6;  // 1019

// Why a command line cannot be framed.
enum class LineFault {
  None,
  ByteTooLarge,  // a hexadecimal pair above FFh ("$GG")
  TooLong,       // more than 1019 bytes
  Dangling,      // a "$" or blank with nothing after it
};

struct ParsedLine {
  Bytes text;  // the frame text: the bytes between the length field and ETX
  LineFault fault = LineFault::None;
  bool ok() const { return fault == LineFault::None; }
};

// Turns a command line into its frame text. Surrounding blanks are dropped;
// then a "$" or a blank starts a hexadecimal byte made of the next two
// characters' digit values (16 x first + second; one character alone is
// its own value), and any other character is one byte, its code.
// "C14$00 01" gives 43 31 34 00 01.
ParsedLine ParseCommandLine(std::string_view line);

// The whole console frame for `text`: F2, address, length high and low, the
// text, ETX and the check byte (XOR of everything before it).
Bytes BuildConsoleFrame(std::uint8_t address, ByteView text);

// The repeat count: the whole part of a decimal number ("3", " 2.5 ").
// Nothing for text that is not a number or whose whole part is not a
// 32-bit count; the caller refuses a count below 1 as well.
std::optional<std::int32_t> ParseRepeatCount(std::string_view text);

}  // namespace kdx
