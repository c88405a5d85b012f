#pragma once

#include <array>
#include <cstdint>

#include "model/cards/memory_apdu.h"

namespace kdx::sim {

// An SLE4428 memory card as its datasheet describes it: 1024 bytes, each
// with its own protection bit that, once written, fixes the byte for good;
// a two-byte programmable security code (FF FF when fresh) guarded by an
// error counter of eight tries. Reads need no code; writes, and changing the
// code, need it presented since power-up. The card leaves the factory with
// its first four bytes (the answer to reset) protected.
class Sle4428Card {
 public:
  static constexpr std::size_t kSize = 1024;
  static constexpr int kTries = 8;
  static constexpr std::array<std::uint8_t, 4> kAnswerToReset{0x92, 0x23, 0x10, 0x91};

  Sle4428Card();

  void powerDown() { verified_ = false; }

  using Verification = sim::Verification;
  Verification verify(const std::array<std::uint8_t, 2>& psc);
  bool verified() const { return verified_; }
  bool locked() const { return triesLeft_ == 0; }
  int triesLeft() const { return triesLeft_; }
  const std::array<std::uint8_t, 2>& psc() const { return psc_; }

  std::uint8_t byte(std::size_t address) const { return memory_[address]; }
  bool isProtected(std::size_t address) const { return protected_[address]; }

  // Writes a byte, and with `protect` its protection bit too; a protected
  // byte that would change stays as it is (false). Needs the code presented.
  bool write(std::size_t address, std::uint8_t value, bool protect);
  // Sets a new code; needs the old one presented.
  bool changePsc(const std::array<std::uint8_t, 2>& psc);

  // The card's answer to one APDU: data, then SW1 SW2.
  //   00 20 00 00 02 PSC          present the code
  //   00 24 01 00 02 PSC          change the code
  //   00 B0 page addr len         read bytes (page 00-03: address high byte)
  //   00 B0 1p addr len           read protection bits (00 protected, 01 not)
  //   00 D0 mp addr len data      write bytes on page p; m 0 without, 2 with
  //                               the protection bit
  Bytes respond(ByteView apdu);

  bool operator==(const Sle4428Card&) const = default;

 private:
  Bytes read(const MemoryApdu& c) const;
  Bytes writeBytes(const MemoryApdu& c);

  std::array<std::uint8_t, kSize> memory_{};
  std::array<bool, kSize> protected_{};
  std::array<std::uint8_t, 2> psc_{0xFF, 0xFF};
  int triesLeft_ = kTries;
  bool verified_ = false;
};

}  // namespace kdx::sim
