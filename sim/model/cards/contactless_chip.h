#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/cards/iso7816_card.h"
#include "model/cards/mifare_classic.h"
#include "model/cards/ultralight.h"

namespace kdx::sim {

// The chip a card carries for the RF station: its identity as an activation
// reports it, and the memory or the operating system behind it.
struct ContactlessChip {
  std::string typeCode;  // "10" S50 ... "30" Type B CPU
  std::vector<std::uint8_t> uid;
  std::variant<MifareClassic, Ultralight, Iso7816Card> memory;

  bool isTypeB() const { return typeCode == "30"; }
  bool isMifare() const { return !std::holds_alternative<Iso7816Card>(memory); }

  // The data of the activation reply: kind, then for Mifare and Type A the
  // ATQA, UID length and UID (for Type A then the SAK and the answer to
  // select), for Type B the answer to request.
  std::vector<std::uint8_t> activationData() const;

  bool operator==(const ContactlessChip&) const = default;
};

// A fresh chip of a known contactless type code; `serial` makes its UID
// differ from the cards made before it.
ContactlessChip MakeContactlessChip(std::string_view typeCode, int serial);

}  // namespace kdx::sim
