#include "fuzz_input.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kdx::fuzz {

void Check(bool holds, const char* what, const char* file, int line) {
  if (holds) return;
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
  std::abort();
}

std::uint8_t InputReader::byte() {
  return empty() ? 0 : data_[pos_++];
}

std::uint16_t InputReader::word() {
  const std::uint16_t high = byte();
  return static_cast<std::uint16_t>(high << 8 | byte());
}

Bytes InputReader::bytes(std::size_t count) {
  const std::size_t n = std::min(count, size_ - std::min(pos_, size_));
  Bytes out(data_ + pos_, data_ + pos_ + n);
  pos_ += n;
  return out;
}

std::string InputReader::text(std::size_t maxLength) {
  const Bytes b = bytes(std::min<std::size_t>(byte(), maxLength));
  return std::string(b.begin(), b.end());
}

std::vector<Delivery> ReadDeliveries(InputReader& in) {
  std::vector<Delivery> out;
  while (!in.empty()) {
    const std::int64_t delay = in.word();
    const std::size_t count = in.word();
    out.push_back({delay, in.bytes(count)});
  }
  return out;
}

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t follow = 0;
    std::uint32_t cp = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      follow = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      follow = 2;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      follow = 3;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + follow >= text.size()) return false;  // cut short
    for (std::size_t k = 1; k <= follow; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = cp << 6 | (c & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((follow == 2 && cp < 0x800) || (follow == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += follow + 1;
  }
  return true;
}

}  // namespace kdx::fuzz
