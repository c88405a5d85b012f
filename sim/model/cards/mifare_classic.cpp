#include "model/cards/mifare_classic.h"

#include <algorithm>
#include <limits>

namespace kdx::sim {

namespace {

// Operations the access conditions rule on.
enum Operation { kRead, kWrite, kIncrement, kDecrement };

// Who may do what to a data block, by C1 C2 C3 (C1 the highest bit, 0 to
// 7): read, write, increment, decrement (with transfer and restore). 'A'
// key A or B, 'B' key B only, '-' never; the datasheet's table.
char DataRule(int c, Operation op) {
  static constexpr const char* kRules[8] = {
      "AAAA",  // 000 transport configuration
      "A--A",  // 001 value block: read, decrement
      "A---",  // 010 read only
      "BB--",  // 011 read and write with key B
      "AB--",  // 100 read, write with key B
      "B---",  // 101 read with key B
      "ABBA",  // 110 value block: write and increment with key B
      "----",  // 111 never
  };
  return kRules[c][op];
}

// Trailer rules by C1 C2 C3: key A write, access bits read, access bits
// write, key B read, key B write.
struct TrailerRule {
  char keyAWrite, bitsRead, bitsWrite, keyBRead, keyBWrite;
};
constexpr TrailerRule kTrailer[8] = {
    {'a', 'a', '-', 'a', 'a'},  // 000
    {'a', 'a', 'a', 'a', 'a'},  // 001 transport
    {'-', 'a', '-', 'a', '-'},  // 010
    {'B', 'A', 'B', '-', 'B'},  // 011
    {'B', 'A', '-', '-', 'B'},  // 100
    {'-', 'A', 'B', '-', '-'},  // 101
    {'-', 'A', '-', '-', '-'},  // 110
    {'-', 'A', '-', '-', '-'},  // 111
};

// 'a' key A only, 'A' key A or B, 'B' key B only, '-' never.
bool Permits(char rule, KeyType auth) {
  switch (rule) {
    case 'a':
      return auth == KeyType::A;
    case 'A':
      return true;
    case 'B':
      return auth == KeyType::B;
    default:
      return false;
  }
}

constexpr std::array<std::uint8_t, 4> kTransportAccess{0xFF, 0x07, 0x80, 0x69};

}  // namespace

std::array<std::uint8_t, 3> AccessBytes(const std::array<int, 4>& c) {
  int c1 = 0, c2 = 0, c3 = 0;
  for (int i = 0; i < 4; ++i) {
    c1 |= ((c[i] >> 2) & 1) << i;
    c2 |= ((c[i] >> 1) & 1) << i;
    c3 |= (c[i] & 1) << i;
  }
  return {static_cast<std::uint8_t>((~c2 & 0xF) << 4 | (~c1 & 0xF)),
          static_cast<std::uint8_t>(c1 << 4 | (~c3 & 0xF)),
          static_cast<std::uint8_t>(c3 << 4 | c2)};
}

std::optional<std::array<int, 4>> AccessConditions(const std::uint8_t* b) {
  const int c1 = b[1] >> 4, c2 = b[2] & 0xF, c3 = b[2] >> 4;
  const int notC1 = b[0] & 0xF, notC2 = b[0] >> 4, notC3 = b[1] & 0xF;
  if ((c1 ^ notC1) != 0xF || (c2 ^ notC2) != 0xF || (c3 ^ notC3) != 0xF) return std::nullopt;
  std::array<int, 4> c{};
  for (int i = 0; i < 4; ++i) c[i] = ((c1 >> i) & 1) << 2 | ((c2 >> i) & 1) << 1 | ((c3 >> i) & 1);
  return c;
}

MifareClassic::MifareClassic(Kind kind, const std::array<std::uint8_t, 4>& uid) : kind_(kind) {
  int count = 0;
  for (int s = 0; s < sectorCount(); ++s) count += blocksIn(s);
  blocks_.assign(static_cast<std::size_t>(count), MifareBlock{});
  for (int s = 0; s < sectorCount(); ++s) {
    MifareBlock& t = raw(s, trailer(s));
    std::fill(t.begin(), t.end(), 0xFF);
    std::copy(kTransportAccess.begin(), kTransportAccess.end(), t.begin() + 6);
  }
  // Manufacturer block: UID, its check byte (XOR of the UID), SAK, ATQA.
  MifareBlock& m = raw(0, 0);
  std::copy(uid.begin(), uid.end(), m.begin());
  m[4] = uid[0] ^ uid[1] ^ uid[2] ^ uid[3];
  m[5] = kind == Kind::S50 ? 0x08 : 0x18;
  m[6] = kind == Kind::S50 ? 0x04 : 0x02;
  m[7] = 0x00;
}

bool MifareClassic::hasBlock(int sector, int block) const {
  return sector >= 0 && sector < sectorCount() && block >= 0 && block < blocksIn(sector);
}

std::size_t MifareClassic::index(int sector, int block) const {
  const int first = sector < 32 ? sector * 4 : 128 + (sector - 32) * 16;
  return static_cast<std::size_t>(first + block);
}

std::optional<int> MifareClassic::conditions(int sector, int block) const {
  const auto c = AccessConditions(raw(sector, trailer(sector)).data() + 6);
  if (!c) return std::nullopt;
  if (block == trailer(sector)) return (*c)[3];
  // Sectors of 16 blocks group their data blocks by five.
  return (*c)[blocksIn(sector) == 4 ? block : block / 5];
}

bool MifareClassic::keyBReadable(int sector) const {
  const auto c = conditions(sector, trailer(sector));
  return c && kTrailer[*c].keyBRead != '-';
}

bool MifareClassic::keyMatches(int sector, KeyType type, const MifareKey& key) const {
  if (sector < 0 || sector >= sectorCount()) return false;
  const MifareBlock& t = raw(sector, trailer(sector));
  return std::equal(key.begin(), key.end(), t.begin() + (type == KeyType::A ? 0 : 10));
}

bool MifareClassic::allowed(int sector, int block, KeyType auth, int operation) const {
  if (auth == KeyType::B && keyBReadable(sector)) return false;
  const auto c = conditions(sector, block);
  return c && Permits(DataRule(*c, static_cast<Operation>(operation)), auth);
}

CardResult MifareClassic::read(int sector, int block, KeyType auth, MifareBlock& out) const {
  if (!hasBlock(sector, block)) return CardResult::NoBlock;
  if (auth == KeyType::B && keyBReadable(sector)) return CardResult::Denied;
  const auto c = conditions(sector, block);
  if (!c) return CardResult::Denied;
  out = raw(sector, block);
  if (block != trailer(sector)) {
    return Permits(DataRule(*c, kRead), auth) ? CardResult::Ok : CardResult::Denied;
  }
  const TrailerRule& rule = kTrailer[*c];
  std::fill(out.begin(), out.begin() + 6, 0x00);
  if (!Permits(rule.bitsRead, auth)) std::fill(out.begin() + 6, out.begin() + 10, 0x00);
  if (!Permits(rule.keyBRead, auth)) std::fill(out.begin() + 10, out.end(), 0x00);
  return CardResult::Ok;
}

CardResult MifareClassic::write(int sector, int block, KeyType auth, const MifareBlock& data) {
  if (!hasBlock(sector, block)) return CardResult::NoBlock;
  if (sector == 0 && block == 0) return CardResult::Denied;
  if (auth == KeyType::B && keyBReadable(sector)) return CardResult::Denied;
  const auto c = conditions(sector, block);
  if (!c) return CardResult::Denied;
  MifareBlock& target = raw(sector, block);
  if (block != trailer(sector)) {
    if (!Permits(DataRule(*c, kWrite), auth)) return CardResult::Denied;
    target = data;
    return CardResult::Ok;
  }
  const TrailerRule& rule = kTrailer[*c];
  const bool keyA = Permits(rule.keyAWrite, auth);
  const bool bits = Permits(rule.bitsWrite, auth);
  const bool keyB = Permits(rule.keyBWrite, auth);
  if (!keyA && !bits && !keyB) return CardResult::Denied;
  if (bits && !AccessConditions(data.data() + 6)) return CardResult::Denied;
  if (keyA) std::copy(data.begin(), data.begin() + 6, target.begin());
  if (bits) std::copy(data.begin() + 6, data.begin() + 10, target.begin() + 6);
  if (keyB) std::copy(data.begin() + 10, data.end(), target.begin() + 10);
  return CardResult::Ok;
}

CardResult MifareClassic::changeKeyA(int sector, KeyType auth, const MifareKey& key) {
  if (sector < 0 || sector >= sectorCount()) return CardResult::NoBlock;
  if (auth == KeyType::B && keyBReadable(sector)) return CardResult::Denied;
  const auto c = conditions(sector, trailer(sector));
  if (!c || !Permits(kTrailer[*c].keyAWrite, auth)) return CardResult::Denied;
  std::copy(key.begin(), key.end(), raw(sector, trailer(sector)).begin());
  return CardResult::Ok;
}

namespace {

std::optional<std::int32_t> ValueOf(const MifareBlock& b) {
  auto word = [&](int at) {
    return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                      static_cast<std::uint32_t>(b[at + 3]) << 24);
  };
  const std::uint32_t v = word(0);
  if (word(4) != ~v || word(8) != v) return std::nullopt;
  if (b[12] != b[14] || b[13] != b[15] || b[12] != static_cast<std::uint8_t>(~b[13])) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(v);
}

MifareBlock ValueBlock(std::int32_t value, std::uint8_t address) {
  MifareBlock b{};
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) {
    b[i] = b[8 + i] = static_cast<std::uint8_t>(v >> (8 * i));
    b[4 + i] = static_cast<std::uint8_t>(~v >> (8 * i));
  }
  b[12] = b[14] = address;
  b[13] = b[15] = static_cast<std::uint8_t>(~address);
  return b;
}

}  // namespace

CardResult MifareClassic::initValue(int sector, int block, KeyType auth, std::int32_t value) {
  if (!hasBlock(sector, block)) return CardResult::NoBlock;
  if (block == trailer(sector)) return CardResult::Denied;
  const auto address = static_cast<std::uint8_t>(index(sector, block));
  return write(sector, block, auth, ValueBlock(value, address));
}

CardResult MifareClassic::changeValue(int sector, int block, KeyType auth, std::int64_t delta,
                                      int operation) {
  if (!hasBlock(sector, block)) return CardResult::NoBlock;
  if (block == trailer(sector) || !allowed(sector, block, auth, operation)) {
    return CardResult::Denied;
  }
  MifareBlock& b = raw(sector, block);
  const auto value = ValueOf(b);
  if (!value) return CardResult::NotValue;
  const std::int64_t result = *value + delta;
  if (result < 0 || result > std::numeric_limits<std::int32_t>::max()) {
    return CardResult::OutOfRange;
  }
  b = ValueBlock(static_cast<std::int32_t>(result), b[12]);
  return CardResult::Ok;
}

CardResult MifareClassic::increment(int sector, int block, KeyType auth, std::uint32_t amount) {
  return changeValue(sector, block, auth, amount, kIncrement);
}

CardResult MifareClassic::decrement(int sector, int block, KeyType auth, std::uint32_t amount) {
  return changeValue(sector, block, auth, -static_cast<std::int64_t>(amount), kDecrement);
}

CardResult MifareClassic::readValue(int sector, int block, KeyType auth,
                                    std::int32_t& value) const {
  if (!hasBlock(sector, block)) return CardResult::NoBlock;
  if (block == trailer(sector) || !allowed(sector, block, auth, kRead)) return CardResult::Denied;
  const auto v = ValueOf(raw(sector, block));
  if (!v) return CardResult::NotValue;
  value = *v;
  return CardResult::Ok;
}

}  // namespace kdx::sim
