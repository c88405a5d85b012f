#include "model/cards/sle4442_card.h"

#include <algorithm>

namespace kdx::sim {

namespace {

constexpr std::uint8_t kMainArea = 0x00;
constexpr std::uint8_t kProtectionArea = 0x01;
constexpr std::uint8_t kSecurityArea = 0x02;
// The manufacturer's bytes: the answer to reset, then identification data.
constexpr std::array<std::uint8_t, 8> kManufacturer{0xA2, 0x13, 0x10, 0x91, 0xFF, 0xFF, 0x81, 0x15};

std::size_t AreaSize(std::uint8_t area) {
  switch (area) {
    case kMainArea:
      return Sle4442Card::kMainSize;
    case kProtectionArea:
      return Sle4442Card::kProtectableSize;
    case kSecurityArea:
      return Sle4442Card::kSecuritySize;
    default:
      return 0;
  }
}

}  // namespace

Sle4442Card::Sle4442Card() {
  main_.fill(0xFF);
  std::copy(kManufacturer.begin(), kManufacturer.end(), main_.begin());
  std::fill_n(protected_.begin(), kManufacturer.size(), true);
}

Sle4442Card::Verification Sle4442Card::verify(const std::array<std::uint8_t, 3>& psc) {
  if (locked()) return Verification::Locked;
  errorCounter_ &= static_cast<std::uint8_t>(errorCounter_ - 1);  // clears the lowest set bit
  if (psc != psc_) {
    verified_ = false;
    return Verification::Wrong;
  }
  errorCounter_ = 0x07;
  verified_ = true;
  return Verification::Accepted;
}

std::array<std::uint8_t, 4> Sle4442Card::security() const {
  if (!verified_) return {errorCounter_, 0, 0, 0};
  return {errorCounter_, psc_[0], psc_[1], psc_[2]};
}

bool Sle4442Card::updateMain(std::size_t address, std::uint8_t value) {
  if (!verified_ || address >= kMainSize) return false;
  if (isProtected(address)) return main_[address] == value;
  main_[address] = value;
  return true;
}

bool Sle4442Card::protect(std::size_t address, std::uint8_t value) {
  if (!verified_ || address >= kProtectableSize || main_[address] != value) return false;
  protected_[address] = true;
  return true;
}

bool Sle4442Card::updateSecurity(std::size_t address, std::uint8_t value) {
  if (!verified_ || address >= kSecuritySize) return false;
  if (address == 0) {
    errorCounter_ = value & 0x07;
  } else {
    psc_[address - 1] = value;
  }
  return true;
}

Bytes Sle4442Card::respond(ByteView bytes) {
  const auto c = ParseMemoryApdu(bytes);
  if (!c) return CardAnswer(kSwWrongLength);
  if (c->cla != kMemoryClass) return CardAnswer(kSwUnknownClass);
  switch (c->ins) {
    case kInsVerify: {
      if (c->p1 != 0x03 || c->p2 != 0x01) return CardAnswer(kSwWrongParameters);
      if (c->length != 3 || !c->dataFits(false)) return CardAnswer(kSwWrongLength);
      return CardAnswer(VerificationStatus(verify({c->data[0], c->data[1], c->data[2]})));
    }
    case kInsRead:
      return read(*c);
    case kInsWrite:
      return write(*c);
    default:
      return CardAnswer(kSwUnknownInstruction);
  }
}

Bytes Sle4442Card::read(const MemoryApdu& c) const {
  const std::size_t size = AreaSize(c.p1);
  if (size == 0) return CardAnswer(kSwWrongParameters);
  if (const auto bad = CheckRange(c.p2, c.length, size)) return CardAnswer(*bad);
  if (!c.dataFits(true)) return CardAnswer(kSwWrongLength);
  const auto sec = security();
  Bytes data;
  for (std::size_t a = c.p2; a < c.p2 + std::size_t{c.length}; ++a) {
    if (c.p1 == kMainArea) data.push_back(main_[a]);
    if (c.p1 == kProtectionArea) data.push_back(protected_[a] ? 0x00 : 0x01);
    if (c.p1 == kSecurityArea) data.push_back(sec[a]);
  }
  return CardAnswer(kSwOk, std::move(data));
}

// Each byte is written on its own, as the chip does: a protected byte that
// would change stays as it is while the others are written, and the answer
// says that not everything took.
Bytes Sle4442Card::write(const MemoryApdu& c) {
  const std::size_t size = AreaSize(c.p1);
  if (size == 0) return CardAnswer(kSwWrongParameters);
  if (const auto bad = CheckRange(c.p2, c.length, size)) return CardAnswer(*bad);
  if (!c.dataFits(false)) return CardAnswer(kSwWrongLength);
  if (locked()) return CardAnswer(kSwLocked);
  if (!verified_) return CardAnswer(kSwWrongPassword);
  bool all = true;
  for (std::size_t i = 0; i < c.data.size(); ++i) {
    const std::size_t a = c.p2 + i;
    bool done = false;
    if (c.p1 == kMainArea) done = updateMain(a, c.data[i]);
    if (c.p1 == kProtectionArea) done = protect(a, c.data[i]);
    if (c.p1 == kSecurityArea) done = updateSecurity(a, c.data[i]);
    all = all && done;
  }
  return CardAnswer(all ? kSwOk : kSwFailed);
}

}  // namespace kdx::sim
