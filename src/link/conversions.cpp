#include "link/conversions.h"

#include "link/bytes.h"

namespace kdx {

std::string DoubleType(std::string_view text) {
  switch (text.size()) {
    case 0:
      return "00";
    case 1:
      return "0" + std::string(text);
    case 2:
      return std::string(text);
    default:
      return {};
  }
}

std::string PadBinary8(std::string_view text) {
  const std::size_t rest = text.size() % 8;
  if (rest == 0) return std::string(text);
  return std::string(8 - rest, '0') + std::string(text);
}

double HexTextToNumber(std::string_view text) {
  double value = 0;
  for (char c : text) value = value * 16 + HexDigit(c).value_or(0);
  return value;
}

std::int16_t CharDigitValue(std::string_view text) {
  if (text.size() != 1) return 0;
  const char c = text[0];
  if (c >= '0' && c <= '9') return static_cast<std::int16_t>(c - '0');
  if (c >= 'a' && c <= 'z') return static_cast<std::int16_t>(10 + c - 'a');
  if (c >= 'A' && c <= 'Z') return static_cast<std::int16_t>(10 + c - 'A');
  return 0;
}

std::string ReadTextLine(std::string_view text, std::int32_t line) {
  if (line < 0) return {};
  std::size_t pos = 0;
  for (std::int32_t i = 0; i < line; ++i) {
    const auto br = text.find_first_of("\r\n", pos);
    if (br == std::string_view::npos) return {};
    pos = br + ((text[br] == '\r' && br + 1 < text.size() && text[br + 1] == '\n') ? 2 : 1);
  }
  if (pos >= text.size()) return {};
  const auto end = text.find_first_of("\r\n", pos);
  return std::string(
      text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace kdx
