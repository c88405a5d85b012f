#include "model/cards/contactless_chip.h"

namespace kdx::sim {

namespace {

std::uint8_t Byte(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

ContactlessChip MakeContactlessChip(std::string_view typeCode, int serial) {
  const std::uint8_t n = Byte(serial);
  if (typeCode == "10" || typeCode == "11") {
    const std::array<std::uint8_t, 4> uid{0xA1, 0xB2, 0xC3, n};
    const auto kind = typeCode == "10" ? MifareClassic::Kind::S50 : MifareClassic::Kind::S70;
    return {std::string(typeCode), {uid.begin(), uid.end()}, MifareClassic(kind, uid)};
  }
  if (typeCode == "12") {
    const std::array<std::uint8_t, 7> uid{0x04, 0x5A, 0x6B, 0x7C, 0x8D, 0x9E, n};
    return {std::string(typeCode), {uid.begin(), uid.end()}, Ultralight(uid)};
  }
  if (typeCode == "20") {
    return {std::string(typeCode), {0x08, 0x44, 0x55, n}, Iso7816Card(0x2000u + n)};
  }
  return {std::string(typeCode), {0x3B, 0x4C, 0x5D, n}, Iso7816Card(0x3000u + n)};
}

std::vector<std::uint8_t> ContactlessChip::activationData() const {
  if (isTypeB()) {
    // ATQB: 50h, the PUPI, application data, protocol information.
    std::vector<std::uint8_t> data{'B', 0x50};
    data.insert(data.end(), uid.begin(), uid.end());
    for (std::uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x00, 0x71, 0x71}) data.push_back(b);
    return data;
  }
  std::uint8_t atqa = 0x04;  // S50 and Type A CPU cards
  char kind = 'M';
  if (typeCode == "11") atqa = 0x02;
  if (typeCode == "12") atqa = 0x44;
  if (typeCode == "20") kind = 'A';
  std::vector<std::uint8_t> data{static_cast<std::uint8_t>(kind), 0x00, atqa,
                                 static_cast<std::uint8_t>(uid.size())};
  data.insert(data.end(), uid.begin(), uid.end());
  if (kind == 'A') {
    // SAK 20h (ISO/IEC 14443-4), then the answer to select: TL, T0, TA, TB, TC.
    for (std::uint8_t b : {0x20, 0x05, 0x78, 0x80, 0x70, 0x02}) data.push_back(b);
  }
  return data;
}

}  // namespace kdx::sim
