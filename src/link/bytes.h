#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kdx {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

inline constexpr std::uint8_t kStx = 0xF2;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kEot = 0x04;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr const char* kCrLf = "\r\n";

// Two upper-case hex digits, "0A" for 10.
std::string HexByte(std::uint8_t value);

// Bytes as hex pairs joined by `separator` ("F2 00 03" or "F20003").
std::string HexBytes(ByteView bytes, std::string_view separator = " ");

// Bytes taken one character each, as the device's texts are.
std::string BytesToText(ByteView bytes);
Bytes TextToBytes(std::string_view text);

// Device text (one byte, one character) as the UTF-8 the message service
// takes, so that a byte above 7Fh shows as its character, not as garbage.
std::string Latin1ToUtf8(std::string_view text);

// The value of one hex digit, "0" to "9", "A" to "F" or "a" to "f"; nothing
// for any other character.
std::optional<std::uint8_t> HexDigit(char c);

// One or two hex digits (either case) as a byte: "7" is 07h, "7f" 7Fh.
// Nothing for an empty text, more than two characters, or a character that
// is not a hex digit (a blank included).
std::optional<std::uint8_t> ParseHexByte(std::string_view text);

// Parses hex pairs, ignoring blanks between them ("F2 00 03" or "f20003").
// Returns false on an odd digit count or a non-hex character.
bool ParseHexBytes(std::string_view text, Bytes& out);

}  // namespace kdx
