#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kdx {

// Pads a hex number of one or two digits to two: "" -> "00", "A" -> "0A",
// "1F" -> "1F"; three or more characters give "".
std::string DoubleType(std::string_view text);

// Prefixes "0" until the length is a multiple of 8 ("101" -> "00000101").
std::string PadBinary8(std::string_view text);

// Value of hex text ("1F" -> 31, "" -> 0), letters in either case. Any other
// character counts as 0 in its place.
double HexTextToNumber(std::string_view text);

// Base-36 value of a one-character text: "0".."9", "a".."z", "A".."Z";
// anything else, or a text of another length, gives 0.
std::int16_t CharDigitValue(std::string_view text);

// The text without the blanks (spaces only, not tabs or line ends) at both ends.
std::string_view TrimBlanks(std::string_view text);

// Line `line` (from 0) of a multi-line text whose lines end in CR LF (a bare
// LF or CR also ends a line), without its line break; "" past the last line.
std::string ReadTextLine(std::string_view text, std::int32_t line);

}  // namespace kdx
