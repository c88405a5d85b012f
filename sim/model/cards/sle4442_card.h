#pragma once

#include <array>
#include <cstdint>

#include "model/cards/memory_apdu.h"

namespace kdx::sim {

// An SLE4442 memory card as its datasheet describes it:
//   - 256 bytes of main memory; the first 32 can each be protected for good
//     by a bit of the protection memory (the card leaves the factory with its
//     manufacturer bytes 00h-07h protected);
//   - security memory: the error counter (three bits, 07h when fresh) and
//     the three-byte programmable security code (PSC, FF FF FF when fresh);
//   - updates need the PSC presented since power-up; every wrong PSC clears
//     one error counter bit, a right one sets all three again, and a card
//     whose counter has reached 0 is locked for good.
// The device reaches it through APDUs (see respond()).
class Sle4442Card {
 public:
  static constexpr std::size_t kMainSize = 256;
  static constexpr std::size_t kProtectableSize = 32;
  static constexpr std::size_t kSecuritySize = 4;
  static constexpr std::array<std::uint8_t, 4> kAnswerToReset{0xA2, 0x13, 0x10, 0x91};

  Sle4442Card();

  // Power lost: a presented PSC is forgotten.
  void powerDown() { verified_ = false; }

  using Verification = sim::Verification;
  // Compares the PSC as the chip does: the error counter first loses a bit,
  // and gets all three back only when the code is right.
  Verification verify(const std::array<std::uint8_t, 3>& psc);
  bool verified() const { return verified_; }
  bool locked() const { return errorCounter_ == 0; }
  std::uint8_t errorCounter() const { return errorCounter_; }

  std::uint8_t main(std::size_t address) const { return main_[address]; }
  bool isProtected(std::size_t address) const {
    return address < kProtectableSize && protected_[address];
  }
  // Security memory as read: the error counter, then the PSC, which reads as
  // 00 00 00 until it has been presented.
  std::array<std::uint8_t, 4> security() const;
  const std::array<std::uint8_t, 3>& psc() const { return psc_; }

  // Update of a main memory byte: refused (false) before the PSC is
  // presented or when the byte is protected and would change.
  bool updateMain(std::size_t address, std::uint8_t value);
  // Write of a protection bit: protects the byte when `value` matches its
  // data; refused (false) before the PSC is presented or on a mismatch.
  bool protect(std::size_t address, std::uint8_t value);
  // Update of a security memory byte (0: error counter, 1-3: PSC), after the
  // PSC is presented.
  bool updateSecurity(std::size_t address, std::uint8_t value);

  // The card's answer to one APDU: data, then SW1 SW2.
  //   00 20 03 01 03 PSC            present the PSC
  //   00 B0 area addr len           read; area 00 main, 01 protection (one
  //                                 byte per protectable byte: 00 protected,
  //                                 01 not), 02 security
  //   00 D0 area addr len data      write the same areas
  Bytes respond(ByteView apdu);

  bool operator==(const Sle4442Card&) const = default;

 private:
  Bytes read(const MemoryApdu& c) const;
  Bytes write(const MemoryApdu& c);

  std::array<std::uint8_t, kMainSize> main_{};
  std::array<bool, kProtectableSize> protected_{};
  std::array<std::uint8_t, 3> psc_{0xFF, 0xFF, 0xFF};
  std::uint8_t errorCounter_ = 0x07;
  bool verified_ = false;
};

}  // namespace kdx::sim
