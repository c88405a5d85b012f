#include "model/cards/contact_cpu_card.h"

#include <algorithm>
#include <utility>

namespace kdx::sim {

namespace {

using Bytes = ContactCpuCard::Bytes;

Bytes Status(std::uint16_t sw) {
  return {static_cast<std::uint8_t>(sw >> 8), static_cast<std::uint8_t>(sw & 0xFF)};
}

// TCK: the XOR of T0 up to the last historical byte, so that the XOR of T0
// through TCK is 0. T=1 cards send it; T=0-only cards do not.
Bytes WithCheck(Bytes atr) {
  std::uint8_t tck = 0;
  for (std::size_t i = 1; i < atr.size(); ++i) tck ^= atr[i];
  atr.push_back(tck);
  return atr;
}

}  // namespace

// 3B: direct convention; T0 68: TB1 and TC1 follow, eight historical bytes;
// TB1 00 (no programming voltage), TC1 00 (no extra guard time); "CPU-T0",
// version 01 00.
ContactCpuCard ContactCpuCard::T0Card() {
  return ContactCpuCard({0x3B, 0x68, 0x00, 0x00, 0x43, 0x50, 0x55, 0x2D, 0x54, 0x30, 0x01, 0x00},
                        Protocol::T0, true, 0x7001);
}

// 3B; T0 88: TD1, eight historical bytes; TD1 81: TD2, T=1; TD2 31: TA3 and
// TB3, T=1; TA3 FE: IFSC 254; TB3 45: BWI 4, CWI 5; "CPU-T1" 01 00; TCK.
ContactCpuCard ContactCpuCard::T1Card() {
  return ContactCpuCard(WithCheck({0x3B, 0x88, 0x81, 0x31, 0xFE, 0x45, 0x43, 0x50, 0x55, 0x2D, 0x54,
                                   0x31, 0x01, 0x00}),
                        Protocol::T1, true, 0x7101);
}

// 3F: inverse convention; T0 96: TA1 and TD1, six historical bytes; TA1 18:
// Fi 372, Di 12, a rate EMV2000 does not offer; TD1 81, TD2 31, TA3 FE,
// TB3 45 as the T=1 card; "ISO-T1"; TCK.
ContactCpuCard ContactCpuCard::IsoOnlyCard() {
  return ContactCpuCard(
      WithCheck({0x3F, 0x96, 0x18, 0x81, 0x31, 0xFE, 0x45, 0x49, 0x53, 0x4F, 0x2D, 0x54, 0x31}),
      Protocol::T1, false, 0x7201);
}

// T=0: 3B 66 00 00 and "SAMnT0"; T=1: 3B 86 81 31 FE 45, "SAMnT1" and TCK.
ContactCpuCard ContactCpuCard::Sam(int socket) {
  const auto digit = static_cast<std::uint8_t>('0' + socket);
  const auto seed = static_cast<std::uint32_t>(0x5A00 + socket);
  if (socket % 2 == 1) {
    return ContactCpuCard({0x3B, 0x66, 0x00, 0x00, 0x53, 0x41, 0x4D, digit, 0x54, 0x30},
                          Protocol::T0, true, seed);
  }
  return ContactCpuCard(
      WithCheck({0x3B, 0x86, 0x81, 0x31, 0xFE, 0x45, 0x53, 0x41, 0x4D, digit, 0x54, 0x31}),
      Protocol::T1, true, seed);
}

ContactCpuCard::ContactCpuCard(Bytes atr, Protocol protocol, bool takesEmv, std::uint32_t seed)
    : atr_(std::move(atr)), protocol_(protocol), takesEmv_(takesEmv), files_(seed) {}

bool ContactCpuCard::coldReset(bool emv) {
  deactivate();
  if (emv && !takesEmv_) return false;
  power_ = Power::Slow;
  return true;
}

bool ContactCpuCard::warmReset() {
  if (!powered()) return false;
  waiting_.clear();
  power_ = Power::Fast;
  return true;
}

void ContactCpuCard::deactivate() {
  power_ = Power::Off;
  waiting_.clear();
}

Bytes ContactCpuCard::transmit(const Bytes& apdu) {
  if (protocol_ == Protocol::T1) return files_.transmit(apdu);
  if (apdu.size() >= 2 && apdu[0] == 0x00 && apdu[1] == 0xC0) return getResponse(apdu);
  waiting_.clear();
  Bytes response = files_.transmit(apdu);
  // T=0 sends a command with data without Le: response data wait for GET
  // RESPONSE. A command without data (P3 is Le) gets its data at once.
  if (apdu.size() > 5 && response.size() > 2) {
    waiting_.assign(response.begin(), response.end() - 2);
    return {0x61, static_cast<std::uint8_t>(waiting_.size())};
  }
  return response;
}

Bytes ContactCpuCard::getResponse(const Bytes& apdu) {
  if (apdu.size() != 5) return Status(0x6700);
  if (apdu[2] != 0x00 || apdu[3] != 0x00) return Status(0x6B00);
  if (waiting_.empty()) return Status(0x6985);
  const std::size_t wanted = apdu[4] == 0 ? 256 : apdu[4];
  if (wanted > waiting_.size()) return {0x6C, static_cast<std::uint8_t>(waiting_.size())};
  Bytes out(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(wanted));
  waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(wanted));
  if (waiting_.empty()) {
    out.push_back(0x90);
    out.push_back(0x00);
  } else {
    out.push_back(0x61);
    out.push_back(static_cast<std::uint8_t>(waiting_.size()));
  }
  return out;
}

}  // namespace kdx::sim
