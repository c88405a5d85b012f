// The Mifare instruction exchange (60h "3") as the device runs it on the
// active card. The reply data ends in the instruction's status word:
//   9000 done; 6F00 refused by the card (access conditions, manufacturer
//   block, not a value block, a value that would leave 0 to 2147483647, a
//   locked Ultralight page); 6F01 key check failed, or no key checked for
//   the sector yet; 6700 length byte or data wrong for the instruction;
//   6B00 P1 or P2 out of range; 6D00 unknown instruction; 6E00 first byte
//   not 00h.
// D0h (store a key in EEPROM) needs no card; every other instruction needs
// an active Mifare card and gets a negative reply without one.
#include <algorithm>

#include "model/cards/contactless_chip.h"
#include "model/device_state.h"
#include "model/rf_station.h"

namespace kdx::sim {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Sw(std::uint16_t sw, Bytes data = {}) {
  data.push_back(static_cast<std::uint8_t>(sw >> 8));
  data.push_back(static_cast<std::uint8_t>(sw & 0xFF));
  return data;
}

Bytes FromResult(CardResult result, Bytes data = {}) {
  switch (result) {
    case CardResult::Ok:
      return Sw(0x9000, std::move(data));
    case CardResult::NoBlock:
      return Sw(0x6B00);
    default:
      return Sw(0x6F00);
  }
}

struct Instruction {
  std::uint8_t code;
  int p1;
  int p2;
  std::optional<int> length;  // byte 4, when sent
  Bytes data;
};

// The key of an instruction that carries one: length byte 6, six bytes.
std::optional<MifareKey> KeyOf(const Instruction& in) {
  if (in.length != 6 || in.data.size() != 6) return std::nullopt;
  MifareKey key{};
  std::copy(in.data.begin(), in.data.end(), key.begin());
  return key;
}

std::optional<std::uint32_t> ValueOf(const Instruction& in) {
  if (in.length != 4 || in.data.size() != 4) return std::nullopt;
  return std::uint32_t(in.data[0]) | std::uint32_t(in.data[1]) << 8 |
         std::uint32_t(in.data[2]) << 16 | std::uint32_t(in.data[3]) << 24;
}

Bytes RunUltralight(Ultralight& card, const Instruction& in) {
  if (in.code != 0xB0 && in.code != 0xD1) return Sw(0x6D00);
  if (in.length != 1) return Sw(0x6700);
  if (in.p1 >= Ultralight::kPages || in.p2 != 0) return Sw(0x6B00);
  UltralightPage page{};
  if (in.code == 0xB0) {
    card.read(in.p1, page);
    return Sw(0x9000, Bytes(page.begin(), page.end()));
  }
  if (in.data.size() != 4) return Sw(0x6700);
  std::copy(in.data.begin(), in.data.end(), page.begin());
  return Sw(card.write(in.p1, page) ? 0x9000 : 0x6F00);
}

Bytes RunClassic(RfStation& rf, MifareClassic& card, const Instruction& in) {
  const int sector = in.p1;
  const bool keyInstruction = in.code == 0x20 || in.code == 0x21 || in.code == 0xD5;
  if (keyInstruction) {
    if (in.p2 >= card.sectorCount() || in.p1 > 1 || (in.code == 0xD5 && in.p1 != 0)) {
      return Sw(0x6B00);
    }
    const KeyType type = in.p1 == 1 ? KeyType::B : KeyType::A;
    std::optional<MifareKey> key =
        in.code == 0x21 ? std::optional(rf.storedKey(type, in.p2)) : KeyOf(in);
    if (!key) return Sw(0x6700);
    if (in.code == 0xD5) {
      const auto auth = rf.authenticated.find(in.p2);
      if (auth == rf.authenticated.end()) return Sw(0x6F01);
      return FromResult(card.changeKeyA(in.p2, auth->second, *key));
    }
    if (!card.keyMatches(in.p2, type, *key)) {
      rf.authenticated.erase(in.p2);
      return Sw(0x6F01);
    }
    rf.authenticated[in.p2] = type;
    return Sw(0x9000);
  }

  if (sector >= card.sectorCount()) return Sw(0x6B00);
  const auto auth = rf.authenticated.find(sector);
  const auto keyType = [&] { return auth->second; };
  switch (in.code) {
    case 0xB0:
    case 0xD1: {
      if (!in.length || *in.length < 1) return Sw(0x6700);
      const int count = *in.length;
      if (!card.hasBlock(sector, in.p2) || !card.hasBlock(sector, in.p2 + count - 1)) {
        return Sw(0x6B00);
      }
      if (in.code == 0xD1 && in.data.size() != static_cast<std::size_t>(16 * count)) {
        return Sw(0x6700);
      }
      if (auth == rf.authenticated.end()) return Sw(0x6F01);
      Bytes out;
      for (int i = 0; i < count; ++i) {
        MifareBlock block{};
        if (in.code == 0xB0) {
          const CardResult r = card.read(sector, in.p2 + i, keyType(), block);
          if (r != CardResult::Ok) return FromResult(r);
          out.insert(out.end(), block.begin(), block.end());
        } else {
          std::copy_n(in.data.begin() + 16 * i, 16, block.begin());
          const CardResult r = card.write(sector, in.p2 + i, keyType(), block);
          if (r != CardResult::Ok) return FromResult(r);
        }
      }
      return Sw(0x9000, std::move(out));
    }
    case 0xD2:
    case 0xD3:
    case 0xD4: {
      const auto value = ValueOf(in);
      if (!value) return Sw(0x6700);
      if (!card.hasBlock(sector, in.p2)) return Sw(0x6B00);
      if (auth == rf.authenticated.end()) return Sw(0x6F01);
      if (in.code == 0xD2) {
        if (*value > 0x7FFFFFFFu) return Sw(0x6F00);
        return FromResult(card.initValue(sector, in.p2, keyType(), std::int32_t(*value)));
      }
      return FromResult(in.code == 0xD3 ? card.increment(sector, in.p2, keyType(), *value)
                                        : card.decrement(sector, in.p2, keyType(), *value));
    }
    case 0xB1: {
      if (!card.hasBlock(sector, in.p2)) return Sw(0x6B00);
      if (auth == rf.authenticated.end()) return Sw(0x6F01);
      std::int32_t value = 0;
      const CardResult r = card.readValue(sector, in.p2, keyType(), value);
      const auto v = static_cast<std::uint32_t>(value);
      return FromResult(
          r, {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)});
    }
    default:
      return Sw(0x6D00);
  }
}

}  // namespace

MifareKey RfStation::storedKey(KeyType type, int sector) const {
  const auto it = keyStore.find({type == KeyType::B ? 1 : 0, sector});
  if (it != keyStore.end()) return it->second;
  MifareKey key;
  key.fill(0xFF);
  return key;
}

std::optional<Bytes> RunMifareInstruction(DeviceState& state, const Bytes& block) {
  if (block.size() < 4) return Sw(0x6700);
  if (block[0] != 0x00) return Sw(0x6E00);
  Instruction in{block[1], block[2], block[3], std::nullopt, {}};
  if (block.size() >= 5) {
    in.length = block[4];
    in.data.assign(block.begin() + 5, block.end());
  }
  if (in.code == 0xD0) {
    const auto key = KeyOf(in);
    if (!key) return Sw(0x6700);
    if (in.p1 > 1 || in.p2 >= 40) return Sw(0x6B00);
    state.rf.keyStore[{in.p1, in.p2}] = *key;
    return Sw(0x9000);
  }
  ContactlessChip* chip = state.rf.active ? ChipAtRfStation(state) : nullptr;
  if (!chip || !chip->isMifare()) return std::nullopt;
  if (auto* ul = std::get_if<Ultralight>(&chip->memory)) return RunUltralight(*ul, in);
  return RunClassic(state.rf, std::get<MifareClassic>(chip->memory), in);
}

}  // namespace kdx::sim
