#include "iso/contactless_fields.h"

#include <array>

#include "iso/decoded_lines.h"

namespace kdx {

namespace {

std::string Rates(std::uint8_t bits) {
  std::string text = "106";
  constexpr std::array<const char*, 3> kRates{"212", "424", "848"};
  for (int bit = 0; bit < 3; ++bit) {
    if (bits & (1 << bit)) text += std::string(", ") + kRates[static_cast<std::size_t>(bit)];
  }
  return text + " kbit/s";
}

}  // namespace

std::string BitRates(std::uint8_t rates) {
  std::string text =
      "card to reader " + Rates((rates >> 4) & 0x07) + "; reader to card " + Rates(rates & 0x07);
  if (rates & 0x80) text += "; same rate both ways";
  if (rates & 0x08) text += "; reserved bit 4 set";
  return text;
}

std::string FrameSize(std::uint8_t code) {
  constexpr std::array<unsigned, 13> kSizes{16,  24,  32,  40,   48,   64,  96,
                                            128, 256, 512, 1024, 2048, 4096};
  if (code >= kSizes.size()) return "reserved frame size code " + std::to_string(code);
  return std::to_string(kSizes[code]) + " bytes";
}

std::string WaitingTime(std::uint8_t exponent) {
  if (exponent >= 15) return "reserved";
  // 4096 / 13.56 MHz = 302.06 us, doubled `exponent` times; in tenths of a microsecond.
  const unsigned long long tenths = (40960ULL * 1000ULL << exponent) / 13560ULL;
  if (tenths < 10000) return Ratio(static_cast<unsigned>(tenths), 10) + " \xC2\xB5s";
  return Ratio(static_cast<unsigned>(tenths), 10000) + " ms";
}

}  // namespace kdx
