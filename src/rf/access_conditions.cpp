#include "rf/access_conditions.h"

#include <string_view>

namespace kdx {

namespace {

constexpr std::size_t kAccessOffset = 6;
constexpr std::size_t kUserByte = 9;

// Who may do something: nobody, key A, key B, either (the datasheet's
// "never", "key A", "key B", "key A|B", written short).
enum Who : std::uint8_t { Never, KeyA, KeyB, Either };

std::string_view WhoText(Who who) {
  switch (who) {
    case KeyA:
      return "A";
    case KeyB:
      return "B";
    case Either:
      return "A|B";
    case Never:
      break;
  }
  return "never";
}

// Data blocks, by C1 C2 C3: read, write, increment, decrement/transfer/restore.
constexpr Who kDataRights[8][4] = {
    {Either, Either, Either, Either},  // 000: transport configuration
    {Either, Never, Never, Either},    // 001: value block
    {Either, Never, Never, Never},     // 010: read/write block
    {KeyB, KeyB, Never, Never},        // 011: read/write block
    {Either, KeyB, Never, Never},      // 100: read/write block
    {KeyB, Never, Never, Never},       // 101: read/write block
    {Either, KeyB, KeyB, Either},      // 110: value block
    {Never, Never, Never, Never},      // 111: read/write block
};

// Trailers, by C1 C2 C3: key A read and write, access bits read and write,
// key B read and write.
constexpr Who kTrailerRights[8][6] = {
    {Never, KeyA, KeyA, Never, KeyA, KeyA},       // 000
    {Never, KeyA, KeyA, KeyA, KeyA, KeyA},        // 001: transport configuration
    {Never, Never, KeyA, Never, KeyA, Never},     // 010
    {Never, KeyB, Either, KeyB, Never, KeyB},     // 011
    {Never, KeyB, Either, Never, Never, KeyB},    // 100
    {Never, Never, Either, KeyB, Never, Never},   // 101
    {Never, Never, Either, Never, Never, Never},  // 110
    {Never, Never, Either, Never, Never, Never},  // 111
};

std::string Bits(std::uint8_t c) {
  return std::string{static_cast<char>('0' + (c >> 2 & 1)), static_cast<char>('0' + (c >> 1 & 1)),
                     static_cast<char>('0' + (c & 1))};
}

std::string GroupName(int group, bool sixteenBlocks) {
  if (group == 3) return "trailer";
  if (!sixteenBlocks) return "block " + std::to_string(group);
  return "blocks " + std::to_string(group * 5) + "-" + std::to_string(group * 5 + 4);
}

std::string DataLine(std::uint8_t c) {
  const Who* r = kDataRights[c];
  return "read " + std::string(WhoText(r[0])) + ", write " + std::string(WhoText(r[1])) +
         ", increment " + std::string(WhoText(r[2])) + ", decrement/transfer/restore " +
         std::string(WhoText(r[3]));
}

std::string TrailerLine(std::uint8_t c) {
  const Who* r = kTrailerRights[c];
  return "key A: read " + std::string(WhoText(r[0])) + ", write " + std::string(WhoText(r[1])) +
         "; access bits: read " + std::string(WhoText(r[2])) + ", write " +
         std::string(WhoText(r[3])) + "; key B: read " + std::string(WhoText(r[4])) + ", write " +
         std::string(WhoText(r[5]));
}

std::uint8_t Bit(std::uint8_t byte, int bit) {
  return static_cast<std::uint8_t>(byte >> bit & 1);
}

}  // namespace

std::optional<std::array<std::uint8_t, 4>> AccessBits(ByteView access) {
  if (access.size() < 3) return std::nullopt;
  const std::uint8_t b6 = access[0], b7 = access[1], b8 = access[2];
  // Byte 6: C2 inverted (high nibble), C1 inverted; byte 7: C1, C3 inverted;
  // byte 8: C3, C2. Bit n of each nibble belongs to group n.
  const auto n7 = static_cast<std::uint8_t>(~b7), n8 = static_cast<std::uint8_t>(~b8);
  if ((b6 & 0x0F) != (n7 >> 4) || (b6 >> 4) != (n8 & 0x0F) || (b7 & 0x0F) != (n8 >> 4)) {
    return std::nullopt;
  }
  std::array<std::uint8_t, 4> bits{};
  for (int g = 0; g < 4; ++g) {
    bits[static_cast<std::size_t>(g)] =
        static_cast<std::uint8_t>(Bit(b7, 4 + g) << 2 | Bit(b8, g) << 1 | Bit(b8, 4 + g));
  }
  return bits;
}

bool AccessBytesConsistent(ByteView access) {
  return AccessBits(access).has_value();
}

DecodedLines DecodeAccessConditions(ByteView trailer, bool sixteenBlocks) {
  DecodedLines lines;
  if (trailer.size() < kAccessOffset + 3) {
    lines.push_back("access bytes: truncated, the trailer has " + std::to_string(trailer.size()) +
                    " bytes (6 to 8 needed)");
    return lines;
  }
  const ByteView access = trailer.subspan(kAccessOffset, 3);
  const auto bits = AccessBits(access);
  const std::string field = "access bytes " + HexBytes(access) + ": ";
  if (!bits) {
    lines.push_back(field +
                    "the inverted bits do not match, the card refuses every access to this sector");
    return lines;
  }
  lines.push_back(field + "inverted bits match (A, B: with key A, key B)");
  for (int g = 0; g < 3; ++g) {
    const std::uint8_t c = (*bits)[static_cast<std::size_t>(g)];
    lines.push_back(GroupName(g, sixteenBlocks) + " (" + Bits(c) + "): " + DataLine(c));
  }
  const std::uint8_t t = (*bits)[3];
  lines.push_back("trailer (" + Bits(t) + "): " + TrailerLine(t));
  if (kTrailerRights[t][4] != Never) {
    lines.push_back("key B: readable, so it cannot be used to authenticate");
  }
  if (trailer.size() > kUserByte) {
    lines.push_back("byte 9 " + HexByte(trailer[kUserByte]) + ": user data");
  }
  return lines;
}

}  // namespace kdx
