#include "model/cards/sle4428_card.h"

#include <algorithm>

namespace kdx::sim {

namespace {

constexpr std::uint8_t kProtectionPages = 0x10;
constexpr std::uint8_t kWithProtection = 0x20;

}  // namespace

Sle4428Card::Sle4428Card() {
  memory_.fill(0xFF);
  std::copy(kAnswerToReset.begin(), kAnswerToReset.end(), memory_.begin());
  std::fill_n(protected_.begin(), kAnswerToReset.size(), true);
}

Sle4428Card::Verification Sle4428Card::verify(const std::array<std::uint8_t, 2>& psc) {
  if (locked()) return Verification::Locked;
  --triesLeft_;
  if (psc != psc_) {
    verified_ = false;
    return Verification::Wrong;
  }
  triesLeft_ = kTries;
  verified_ = true;
  return Verification::Accepted;
}

bool Sle4428Card::write(std::size_t address, std::uint8_t value, bool protect) {
  if (!verified_ || address >= kSize) return false;
  if (protected_[address]) return memory_[address] == value;
  memory_[address] = value;
  if (protect) protected_[address] = true;
  return true;
}

bool Sle4428Card::changePsc(const std::array<std::uint8_t, 2>& psc) {
  if (!verified_) return false;
  psc_ = psc;
  return true;
}

Bytes Sle4428Card::respond(ByteView bytes) {
  const auto c = ParseMemoryApdu(bytes);
  if (!c) return CardAnswer(kSwWrongLength);
  if (c->cla != kMemoryClass) return CardAnswer(kSwUnknownClass);
  switch (c->ins) {
    case kInsVerify:
    case kInsChangePassword: {
      const bool change = c->ins == kInsChangePassword;
      if (c->p1 != (change ? 0x01 : 0x00) || c->p2 != 0x00) return CardAnswer(kSwWrongParameters);
      if (c->length != 2 || !c->dataFits(false)) return CardAnswer(kSwWrongLength);
      const std::array<std::uint8_t, 2> psc{c->data[0], c->data[1]};
      if (change) {
        if (locked()) return CardAnswer(kSwLocked);
        return CardAnswer(changePsc(psc) ? kSwOk : kSwWrongPassword);
      }
      return CardAnswer(VerificationStatus(verify(psc)));
    }
    case kInsRead:
      return read(*c);
    case kInsWrite:
      return writeBytes(*c);
    default:
      return CardAnswer(kSwUnknownInstruction);
  }
}

Bytes Sle4428Card::read(const MemoryApdu& c) const {
  const bool bits = (c.p1 & 0xF0) == kProtectionPages;
  const std::size_t page = c.p1 & 0x0F;
  if ((c.p1 & 0xF0) != 0x00 && !bits) return CardAnswer(kSwWrongParameters);
  const std::size_t start = page * 256 + c.p2;
  if (const auto bad = CheckRange(start, c.length, kSize)) return CardAnswer(*bad);
  if (!c.dataFits(true)) return CardAnswer(kSwWrongLength);
  Bytes data;
  for (std::size_t a = start; a < start + std::size_t{c.length}; ++a) {
    data.push_back(bits ? (protected_[a] ? 0x00 : 0x01) : memory_[a]);
  }
  return CardAnswer(kSwOk, std::move(data));
}

Bytes Sle4428Card::writeBytes(const MemoryApdu& c) {
  const std::uint8_t mode = c.p1 & 0xF0;
  if (mode != 0x00 && mode != kWithProtection) return CardAnswer(kSwWrongParameters);
  const std::size_t start = std::size_t{c.p1 & 0x0Fu} * 256 + c.p2;
  if (const auto bad = CheckRange(start, c.length, kSize)) return CardAnswer(*bad);
  if (!c.dataFits(false)) return CardAnswer(kSwWrongLength);
  if (locked()) return CardAnswer(kSwLocked);
  if (!verified_) return CardAnswer(kSwWrongPassword);
  bool all = true;
  for (std::size_t i = 0; i < c.data.size(); ++i) {
    all = write(start + i, c.data[i], mode == kWithProtection) && all;
  }
  return CardAnswer(all ? kSwOk : kSwFailed);
}

}  // namespace kdx::sim
