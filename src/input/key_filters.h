#pragma once

#include <optional>

namespace kdx {

// The character code of the Backspace key, as the filters see it.
inline constexpr char kBackspace = 8;

// What a single-value entry field or a byte grid cell admits from the keyboard.
enum class KeyFilter {
  StrictHex,             // 0-9, A-F (a-f upper-cased); nothing else, not even Backspace
  HexWithBackspace,      // as StrictHex, and Backspace
  Decimal,               // 0-9 only
  DecimalWithBackspace,  // 0-9 and Backspace
};

// Applies `filter` to the character code of one typed key: the character to
// let through (hex letters upper-cased), or nothing when the key is discarded.
std::optional<char> FilterKey(KeyFilter filter, char code);

}  // namespace kdx
