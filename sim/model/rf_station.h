#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "model/cards/mifare_classic.h"

namespace kdx::sim {

struct ContactlessChip;
struct DeviceState;

// What the device keeps about its contactless station: whether the card
// there has been activated, the sectors authenticated since (with the key
// type used), and its key store in EEPROM by (key type, sector), which
// starts with every key FF..FF.
struct RfStation {
  bool active = false;
  std::map<int, KeyType> authenticated;
  std::map<std::pair<int, int>, MifareKey> keyStore;
  int cardsMade = 0;

  MifareKey storedKey(KeyType type, int sector) const;
  // Switches the card off: no card active, no sector authenticated.
  void reset() {
    active = false;
    authenticated.clear();
  }
};

// The card at the RF station (made on first contact), or null when there is
// none or it has no contactless chip.
ContactlessChip* ChipAtRfStation(DeviceState& state);

// Runs one Mifare instruction block (00h, instruction, P1, P2, [length,
// data]) on the active card: the reply data with the status word at its end,
// or nothing when no Mifare card is active.
std::optional<std::vector<std::uint8_t>> RunMifareInstruction(
    DeviceState& state, const std::vector<std::uint8_t>& block);

}  // namespace kdx::sim
