#include "model/cards/ultralight.h"

namespace kdx::sim {

Ultralight::Ultralight(const std::array<std::uint8_t, 7>& uid) {
  // Serial number bytes 0 to 2, check byte 0 (cascade tag 88h XOR them),
  // bytes 3 to 6, check byte 1 (XOR of those four).
  pages_[0] = {uid[0], uid[1], uid[2], static_cast<std::uint8_t>(0x88 ^ uid[0] ^ uid[1] ^ uid[2])};
  pages_[1] = {uid[3], uid[4], uid[5], uid[6]};
  pages_[2] = {static_cast<std::uint8_t>(uid[3] ^ uid[4] ^ uid[5] ^ uid[6]), 0x48, 0x00, 0x00};
}

bool Ultralight::read(int page, UltralightPage& out) const {
  if (page < 0 || page >= kPages) return false;
  out = pages_[static_cast<std::size_t>(page)];
  return true;
}

bool Ultralight::locked(int page) const {
  const std::uint8_t lock0 = pages_[2][2];
  const std::uint8_t lock1 = pages_[2][3];
  if (page < 3) return true;
  if (page == 3) return lock0 & 0x08;
  if (page < 8) return lock0 & (1u << page);
  return lock1 & (1u << (page - 8));
}

bool Ultralight::write(int page, const UltralightPage& data) {
  if (page < 2 || page >= kPages) return false;
  UltralightPage& target = pages_[static_cast<std::size_t>(page)];
  if (page == 2) {
    // Frozen lock bits stay as they are.
    const std::uint8_t lock0 = target[2];
    std::uint8_t free0 = 0xFF;
    std::uint8_t free1 = 0xFF;
    if (lock0 & 0x01) free0 &= static_cast<std::uint8_t>(~0x08);
    if (lock0 & 0x02) {
      free0 &= 0x0F;
      free1 &= static_cast<std::uint8_t>(~0x03);
    }
    if (lock0 & 0x04) free1 &= 0x03;
    // The block-locking bits freeze themselves too.
    free0 &= static_cast<std::uint8_t>(~(lock0 & 0x07));
    target[2] |= data[2] & free0;
    target[3] |= data[3] & free1;
    return true;
  }
  if (locked(page)) return false;
  if (page == 3) {
    for (std::size_t i = 0; i < 4; ++i) target[i] |= data[i];
    return true;
  }
  target = data;
  return true;
}

}  // namespace kdx::sim
