#pragma once

#include <cstdint>
#include <vector>

#include "model/cards/iso7816_card.h"

namespace kdx::sim {

// A microprocessor card on contacts: a CPU card at the IC station or a SAM
// in a socket. It answers a reset with its ATR, runs at the clock its last
// reset chose and hands command APDUs to a small ISO/IEC 7816-4 file system.
//
// - Cold reset: powers the card up at 3.57 MHz. The EMV2000 activation is
//   refused by a card whose ATR EMV does not accept (its reset then leaves
//   it unpowered); the ISO/IEC 7816-3 activation takes every card.
// - Warm reset (powered cards only): the card answers again and the reader
//   raises the clock to 7.16 MHz.
// - T=0 cards hand response data of a command with data (case 4) through
//   "61xx" and GET RESPONSE (00 C0 00 00 Le): Le larger than what is waiting
//   gives "6Cxx", a smaller Le the first bytes and "61xx" for the rest,
//   nothing waiting "6985". T=1 cards return the data at once.
class ContactCpuCard {
 public:
  using Bytes = std::vector<std::uint8_t>;

  enum class Protocol : std::uint8_t { T0 = '0', T1 = '1' };
  // The card status byte: not powered, 3.57 MHz, 7.16 MHz.
  enum class Power : std::uint8_t { Off = '0', Slow = '1', Fast = '2' };

  // A T=0 and a T=1 card as the IC station's CPU cards ("10" and "11").
  static ContactCpuCard T0Card();
  static ContactCpuCard T1Card();
  // A T=1 card with an ATR outside EMV2000: it refuses the EMV activation.
  static ContactCpuCard IsoOnlyCard();
  // The SAM of socket `socket` (1 to 5): T=0 in the odd sockets, T=1 in the
  // even ones; the socket number is in the historical bytes.
  static ContactCpuCard Sam(int socket);

  ContactCpuCard(Bytes atr, Protocol protocol, bool takesEmv, std::uint32_t seed);

  const Bytes& atr() const { return atr_; }
  Protocol protocol() const { return protocol_; }
  Power power() const { return power_; }
  bool powered() const { return power_ != Power::Off; }

  // False when the card refuses the EMV2000 activation (it stays unpowered).
  bool coldReset(bool emv);
  // False when the card is not powered.
  bool warmReset();
  void deactivate();
  // The card's response APDU (data and SW1 SW2); the caller checks power.
  Bytes transmit(const Bytes& apdu);

  bool operator==(const ContactCpuCard&) const = default;

 private:
  Bytes getResponse(const Bytes& apdu);

  Bytes atr_;
  Protocol protocol_;
  bool takesEmv_;
  Power power_ = Power::Off;
  Iso7816Card files_;
  Bytes waiting_;  // T=0: response data for GET RESPONSE
};

}  // namespace kdx::sim
