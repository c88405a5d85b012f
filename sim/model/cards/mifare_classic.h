#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kdx::sim {

using MifareKey = std::array<std::uint8_t, 6>;
using MifareBlock = std::array<std::uint8_t, 16>;

enum class KeyType { A, B };

// What a card operation ends in.
enum class CardResult {
  Ok,
  Denied,      // the access conditions forbid it (or the manufacturer block)
  NotValue,    // not a value block in the standard layout
  OutOfRange,  // the value would leave 0 to 2147483647
  NoBlock,     // no such sector or block on this card
};

// A Mifare Classic card: S50 (16 sectors of 4 blocks) or S70 (32 sectors of
// 4 blocks, then 8 of 16). Each sector ends in its trailer: key A, the access
// bits (bytes 6 to 8, as the card datasheets lay them out), a general purpose
// byte and key B. Cards leave the factory with FF..FF keys and the transport
// access bits FF 07 80 69: every data block open to key A or B, the trailer
// writable with key A.
//
// Operations take the key type the sector was authenticated with and apply
// the access conditions of the block; authentication itself is `keyMatches`.
class MifareClassic {
 public:
  enum class Kind { S50, S70 };

  MifareClassic(Kind kind, const std::array<std::uint8_t, 4>& uid);

  Kind kind() const { return kind_; }
  int sectorCount() const { return kind_ == Kind::S50 ? 16 : 40; }
  int blocksIn(int sector) const { return sector < 32 ? 4 : 16; }
  bool hasBlock(int sector, int block) const;

  // Authentication: the key of `type` in the sector's trailer.
  bool keyMatches(int sector, KeyType type, const MifareKey& key) const;

  // A block as the card returns it: a trailer shows key A as zeros, and the
  // access bits and key B only where the conditions let them be read.
  CardResult read(int sector, int block, KeyType auth, MifareBlock& out) const;
  // A trailer is written part by part: key A, access bits and key B each
  // change only where the conditions allow it. Access bits that are not in
  // the datasheet's format are refused (a real card would lock the sector).
  CardResult write(int sector, int block, KeyType auth, const MifareBlock& data);
  // Key A of the sector, as a trailer write that changes key A only.
  CardResult changeKeyA(int sector, KeyType auth, const MifareKey& key);

  // Value blocks: value, inverted value, value, then address, inverted
  // address, address, inverted address.
  CardResult initValue(int sector, int block, KeyType auth, std::int32_t value);
  CardResult increment(int sector, int block, KeyType auth, std::uint32_t amount);
  CardResult decrement(int sector, int block, KeyType auth, std::uint32_t amount);
  CardResult readValue(int sector, int block, KeyType auth, std::int32_t& value) const;

  // The raw memory, for tests and the card's set-up.
  MifareBlock& raw(int sector, int block) { return blocks_[index(sector, block)]; }
  const MifareBlock& raw(int sector, int block) const { return blocks_[index(sector, block)]; }

  bool operator==(const MifareClassic&) const = default;

 private:
  std::size_t index(int sector, int block) const;
  int trailer(int sector) const { return blocksIn(sector) - 1; }
  // The access condition bits C1 C2 C3 of a block (as 0 to 7, C1 highest),
  // or nothing when the trailer's access bytes are malformed.
  std::optional<int> conditions(int sector, int block) const;
  // A key B that can be read cannot serve for authentication: every access
  // after such an authentication is refused.
  bool keyBReadable(int sector) const;
  bool allowed(int sector, int block, KeyType auth, int operation) const;
  CardResult changeValue(int sector, int block, KeyType auth, std::int64_t delta, int operation);

  Kind kind_;
  std::vector<MifareBlock> blocks_;
};

// The access bytes 6 to 8 of a trailer whose four entries (blocks 0 to 2
// and the trailer, each C1 C2 C3 as 0 to 7) are `c`, and back.
std::array<std::uint8_t, 3> AccessBytes(const std::array<int, 4>& c);
std::optional<std::array<int, 4>> AccessConditions(const std::uint8_t* bytes);

}  // namespace kdx::sim
