#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "model/cards/i2c_eeprom_card.h"
#include "model/cards/sle4428_card.h"
#include "model/cards/sle4442_card.h"

namespace kdx::sim {

// The memory chip on a card's contacts and whether the station powers it.
struct ContactMemory {
  std::variant<Sle4442Card, Sle4428Card, I2cEepromCard> chip;
  bool powered = false;

  // Contacts released or power switched off: the chip forgets a presented
  // code.
  void powerDown();

  template <class Chip>
  Chip* as() {
    return std::get_if<Chip>(&chip);
  }

  bool operator==(const ContactMemory&) const = default;
};

// A fresh chip for a contact type code ("20" SLE4442, "21" SLE4428, "30" to
// "39" 24C01 to 24C512); nothing for a card without a memory chip.
std::optional<ContactMemory> MakeContactMemory(std::string_view typeCode);

}  // namespace kdx::sim
