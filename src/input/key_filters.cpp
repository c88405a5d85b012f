#include "input/key_filters.h"

namespace kdx {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::optional<char> HexDigit(char c) {
  if (IsDigit(c) || (c >= 'A' && c <= 'F')) return c;
  if (c >= 'a' && c <= 'f') return static_cast<char>(c - 'a' + 'A');
  return std::nullopt;
}

}  // namespace

std::optional<char> FilterKey(KeyFilter filter, char code) {
  switch (filter) {
    case KeyFilter::StrictHex:
      return HexDigit(code);
    case KeyFilter::HexWithBackspace:
      if (code == kBackspace) return code;
      return HexDigit(code);
    case KeyFilter::Decimal:
      if (IsDigit(code)) return code;
      return std::nullopt;
    case KeyFilter::DecimalWithBackspace:
      if (IsDigit(code) || code == kBackspace) return code;
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace kdx
