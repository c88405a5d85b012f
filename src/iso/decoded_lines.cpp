#include "iso/decoded_lines.h"

namespace kdx {

std::string ShortHex(ByteView bytes, std::size_t limit) {
  if (bytes.size() <= limit) return HexBytes(bytes);
  return HexBytes(bytes.first(limit)) + " ... (" + std::to_string(bytes.size()) + " bytes)";
}

std::string PrintableText(ByteView bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::uint8_t b : bytes) text.push_back(b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.');
  return text;
}

std::string Count(std::size_t n, std::string_view noun) {
  return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

std::string Truncated(std::string_view missing, std::size_t length) {
  return "truncated: " + std::string(missing) + " missing after " + Count(length, "byte");
}

std::string Ratio(unsigned numerator, unsigned denominator) {
  if (denominator == 0) return "?";
  const unsigned long long hundredths =
      (100ULL * numerator + denominator / 2) / static_cast<unsigned long long>(denominator);
  std::string text = std::to_string(hundredths / 100);
  const unsigned long long fraction = hundredths % 100;
  if (fraction != 0) {
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
  }
  return text;
}

}  // namespace kdx
