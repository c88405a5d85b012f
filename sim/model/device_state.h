#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/card.h"
#include "model/rf_station.h"
#include "model/sam_sockets.h"

namespace kdx::sim {

// Where the card in the transport channel is. The IC and RF stations are two
// places in the channel; the card status reports both as "2".
enum class CardPosition { None, Front, IcStation, RfStation };

// Everything the transport and the housekeeping commands read and change.
// Tests set it directly; the commands change it as the device would.
struct DeviceState {
  // Stacker: how many cards it holds and what kind of card they are.
  int stackerCount = 50;
  Card stackerCard{ContactFace{"20"}, ContactlessFace{"10"}};

  // The card in the channel, if any, and where it is.
  CardPosition position = CardPosition::None;
  std::optional<Card> channelCard;

  // Error card bin: cards captured in it and how many it takes.
  int binCount = 0;
  int binCapacity = 20;

  // Whether the front shutter lets a card be pushed in.
  bool entryAllowed = false;
  // Set by the first initialize; card moves are refused before it.
  bool initialized = false;

  // Capture card counter, 0 to 999; counts cards found inside by an
  // initialize with a counting option, and is set by the host.
  int captureCounter = 0;

  // Identity: the serial number text, the three-character software code and
  // the number of SAM sockets (0 to 5) the configuration reports.
  std::string serialNumber = "KDX846-00000000001";
  std::string softwareCode = "101";
  int samSockets = 2;
  // Text the initialize reply carries as its data.
  std::string firmwareText = "KDX-846 V1.01";
  // The SAMs in their sockets and the socket the SAM commands address.
  SamSockets sams;

  // The contactless station: the activated card and the device's key store.
  RfStation rf;

  bool cardInChannel() const { return position != CardPosition::None; }
  bool binFull() const { return binCount >= binCapacity; }

  // Stacker fill as the card status reports it: '0' empty, '1' low (1 to
  // kLowStacker cards), '2' enough.
  std::uint8_t stackerLevel() const;
  // The three status bytes of the card status: card position ('0' none,
  // '1' front, '2' at a card station), stacker level, bin ('1' full).
  std::array<std::uint8_t, 3> statusBytes() const;
  // The twelve sensor bytes, '0' off and '1' on (mapping in the .cpp).
  std::array<std::uint8_t, 12> sensors() const;

  // Puts `card` into the channel at `where`, or empties it for None.
  void placeCard(CardPosition where, std::optional<Card> card);
  // Moves the card in the channel into the error bin (the caller checks
  // that the bin has room).
  void captureCard();

  static constexpr int kLowStacker = 10;
};

// "none", "front", "ic", "rf".
const char* PositionName(CardPosition position);

}  // namespace kdx::sim
