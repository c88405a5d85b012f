#pragma once

#include <array>
#include <cstdint>

namespace kdx::sim {

using UltralightPage = std::array<std::uint8_t, 4>;

// A Mifare Ultralight card: 16 pages of 4 bytes. Pages 0 to 2 hold the
// 7-byte serial number with its two check bytes (read only); page 2 also
// holds the two lock bytes, page 3 the one-time-programmable bytes; pages 4
// to 15 are user memory.
//
// Lock byte 0 (page 2, byte 2): bits 4 to 7 lock pages 4 to 7, bit 3 the OTP
// page; bits 0 to 2 freeze lock bits themselves (bit 0 the OTP lock, bit 1
// the locks of pages 4 to 9, bit 2 those of pages 10 to 15). Lock byte 1
// (page 2, byte 3): bits 0 to 7 lock pages 8 to 15. Lock bits and OTP bits
// can only be set, never cleared.
class Ultralight {
 public:
  explicit Ultralight(const std::array<std::uint8_t, 7>& uid);

  bool read(int page, UltralightPage& out) const;
  // False for a page that does not exist, the serial number pages 0 and 1,
  // and a locked page. Page 2 takes only its lock bytes (ORed in, frozen
  // bits left), page 3 only sets bits.
  bool write(int page, const UltralightPage& data);
  bool locked(int page) const;

  UltralightPage& raw(int page) { return pages_[static_cast<std::size_t>(page)]; }

  static constexpr int kPages = 16;
  bool operator==(const Ultralight&) const = default;

 private:
  std::array<UltralightPage, kPages> pages_{};
};

}  // namespace kdx::sim
