#include "input/key_filters.h"

#include "link/bytes.h"

namespace kdx {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A hex digit passes in upper case, as HexByte writes it.
std::optional<char> UpperHexDigit(char c) {
  const auto digit = HexDigit(c);
  if (!digit) return std::nullopt;
  return HexByte(*digit)[1];
}

}  // namespace

std::optional<char> FilterKey(KeyFilter filter, char code) {
  switch (filter) {
    case KeyFilter::StrictHex:
      return UpperHexDigit(code);
    case KeyFilter::HexWithBackspace:
      if (code == kBackspace) return code;
      return UpperHexDigit(code);
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
