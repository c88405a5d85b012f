#include "model/cards/contact_memory.h"

#include <array>

namespace kdx::sim {

void ContactMemory::powerDown() {
  powered = false;
  if (auto* c = as<Sle4442Card>()) c->powerDown();
  if (auto* c = as<Sle4428Card>()) c->powerDown();
}

std::optional<ContactMemory> MakeContactMemory(std::string_view typeCode) {
  if (typeCode == "20") return ContactMemory{Sle4442Card()};
  if (typeCode == "21") return ContactMemory{Sle4428Card()};
  constexpr std::array<std::string_view, 10> kEeproms{
      "24C01", "24C02", "24C04", "24C08", "24C16", "24C32", "24C64", "24C128", "24C256", "24C512"};
  if (typeCode.size() == 2 && typeCode[0] == '3' && typeCode[1] >= '0' && typeCode[1] <= '9') {
    const auto kind = FindEepromKind(kEeproms[static_cast<std::size_t>(typeCode[1] - '0')]);
    if (kind) return ContactMemory{I2cEepromCard(*kind)};
  }
  return std::nullopt;
}

}  // namespace kdx::sim
