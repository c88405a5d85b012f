#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kdx::sim {

// A contactless CPU card answering command APDUs from a small ISO/IEC 7816-4
// file system: the master file 3F00 and, below it, the payment directory
// "1PAY.SYS.DDF01" (selectable by name). It knows
//   SELECT (00 A4) by file identifier (P1 00, the master file: 9000) or by
//     name (P1 04: the directory's control information and 9000); 6A82 for
//     a file it does not have;
//   GET CHALLENGE (00 84 00 00 Le): Le fresh random bytes (4 or 8) and 9000.
// Anything else: 6E00 for a class byte other than 00, 6D00 for an unknown
// instruction, 6B00 for wrong P1 P2, 6700 for a wrong length.
class Iso7816Card {
 public:
  explicit Iso7816Card(std::uint32_t seed) : random_(seed) {}

  std::vector<std::uint8_t> transmit(const std::vector<std::uint8_t>& apdu);

  // The file selected last ("3F00" or the directory's name).
  const std::string& selected() const { return selected_; }

  bool operator==(const Iso7816Card&) const = default;

 private:
  std::vector<std::uint8_t> select(const std::vector<std::uint8_t>& apdu);
  std::vector<std::uint8_t> challenge(const std::vector<std::uint8_t>& apdu);

  std::mt19937 random_;
  std::string selected_ = "3F00";
};

}  // namespace kdx::sim
