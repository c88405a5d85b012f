#include "iso/answer_to_select.h"

#include <algorithm>

#include "iso/contactless_fields.h"
#include "iso/historical_bytes.h"

namespace kdx {

namespace {

std::string Options(std::uint8_t tc) {
  std::string text = (tc & 0x02) ? "CID supported" : "CID not supported";
  text += (tc & 0x01) ? ", NAD supported" : ", NAD not supported";
  if (tc & 0xFC) text += ", reserved bits set";
  return text;
}

}  // namespace

DecodedLines DecodeAts(ByteView ats) {
  DecodedLines lines;
  if (ats.empty()) {
    lines.push_back(Truncated("TL", 0));
    return lines;
  }
  const std::uint8_t tl = ats[0];
  if (tl == 0) {
    lines.push_back("TL 00: not an answer to select (TL counts itself)");
    return lines;
  }
  lines.push_back("TL " + HexByte(tl) + ": " + Count(tl, "byte") + " with TL");
  // The answer as TL delimits it, cut at the end of the input.
  ByteCursor cursor(ats.first(std::min<std::size_t>(tl, ats.size())));
  std::uint8_t skip = 0;
  cursor.next(skip);
  std::uint8_t t0 = 0;
  if (tl == 1) {
    lines.push_back("T0: absent, FSC 32 bytes, 106 kbit/s, CID supported (defaults)");
  } else if (!cursor.next(t0)) {
    lines.push_back(Truncated("T0", cursor.position()));
    return lines;
  } else {
    std::string text = "T0 " + HexByte(t0) + ": FSC " + FrameSize(t0 & 0x0F);
    constexpr const char* kNames[] = {"TA", "TB", "TC"};
    for (int bit = 0; bit < 3; ++bit) {
      if (t0 & (0x10 << bit)) text += std::string(", ") + kNames[bit];
    }
    if (t0 & 0x80) text += ", reserved bit 8 set";
    lines.push_back(text);
  }
  for (int bit = 0; bit < 3; ++bit) {
    if (!(t0 & (0x10 << bit))) continue;
    const char* name = bit == 0 ? "TA" : bit == 1 ? "TB" : "TC";
    std::uint8_t value = 0;
    if (!cursor.next(value)) {
      lines.push_back(ats.size() < tl ? Truncated(name, cursor.position())
                                      : std::string(name) + ": missing, TL too short");
      return lines;
    }
    std::string meaning;
    if (bit == 0) meaning = BitRates(value);
    if (bit == 1) {
      meaning = "FWT " + WaitingTime(value >> 4) + " (FWI " + std::to_string(value >> 4) +
                "), SFGT " +
                ((value & 0x0F) == 0 ? std::string("none") : WaitingTime(value & 0x0F)) +
                " (SFGI " + std::to_string(value & 0x0F) + ")";
    }
    if (bit == 2) meaning = Options(value);
    lines.push_back(std::string(name) + " " + HexByte(value) + ": " + meaning);
  }
  AppendHistoricalBytes(cursor.take(cursor.remaining()), lines);
  if (ats.size() < tl) {
    lines.push_back("truncated: " + std::to_string(tl) + " bytes announced, " +
                    std::to_string(ats.size()) + " present");
  } else if (ats.size() > tl) {
    lines.push_back("after TL: " + ShortHex(ats.subspan(tl)));
  }
  return lines;
}

}  // namespace kdx
