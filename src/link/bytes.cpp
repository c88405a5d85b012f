#include "link/bytes.h"

namespace kdx {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
}  // namespace

std::optional<std::uint8_t> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

std::optional<std::uint8_t> ParseHexByte(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  std::uint8_t value = 0;
  for (char c : text) {
    const auto digit = HexDigit(c);
    if (!digit) return std::nullopt;
    value = static_cast<std::uint8_t>(value * 16 + *digit);
  }
  return value;
}

std::string HexByte(std::uint8_t value) {
  return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string HexBytes(ByteView bytes, std::string_view separator) {
  std::string out;
  out.reserve(bytes.size() * (2 + separator.size()));
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += separator;
    out += HexByte(bytes[i]);
  }
  return out;
}

std::string BytesToText(ByteView bytes) {
  return std::string(bytes.begin(), bytes.end());
}

Bytes TextToBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

bool ParseHexBytes(std::string_view text, Bytes& out) {
  out.clear();
  std::optional<std::uint8_t> high;
  for (char c : text) {
    if (c == ' ') {
      if (high) return false;  // a blank inside a pair
      continue;
    }
    const auto digit = HexDigit(c);
    if (!digit) return false;
    if (!high) {
      high = digit;
    } else {
      out.push_back(static_cast<std::uint8_t>(*high * 16 + *digit));
      high.reset();
    }
  }
  return !high;
}

}  // namespace kdx
