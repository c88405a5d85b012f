#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/cards/memory_apdu.h"

namespace kdx::sim {

// One member of the 24C family of I2C serial EEPROMs.
struct EepromKind {
  std::string_view name;  // "24C16"
  std::size_t size;       // bytes
  std::size_t pageSize;   // bytes one page write takes
  std::uint8_t kindCode;  // "1" (24C01) to ":" (24C512), as the device reports it
};

// The kinds from 24C01 to 24C512; nothing for another name. Names compare
// without regard to case.
std::optional<EepromKind> FindEepromKind(std::string_view name);

// A 24Cxx EEPROM card as the datasheets describe it: erased to FFh, no
// password. A sequential read runs on through the memory and rolls over from
// the last byte to the first; a page write keeps the address counter within
// its page, so bytes beyond the page's end wrap to its start and overwrite
// what the write put there before.
class I2cEepromCard {
 public:
  explicit I2cEepromCard(const EepromKind& kind);

  const EepromKind& kind() const { return kind_; }
  std::uint8_t byte(std::size_t address) const { return memory_[address % kind_.size]; }

  Bytes read(std::size_t address, std::size_t count) const;
  void pageWrite(std::size_t address, ByteView data);

  // The card's answer to one APDU (address high in P1, low in P2):
  //   00 B0 hi lo len         read
  //   00 D0 hi lo len data    write; split at page boundaries into page
  //                           writes, as the device's driver does
  // A start beyond the chip or a range past its end is refused by status
  // word.
  Bytes respond(ByteView apdu);

  bool operator==(const I2cEepromCard& other) const {
    return kind_.name == other.kind_.name && memory_ == other.memory_;
  }

 private:
  EepromKind kind_;
  Bytes memory_;
};

}  // namespace kdx::sim
