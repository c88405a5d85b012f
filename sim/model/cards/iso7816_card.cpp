#include "model/cards/iso7816_card.h"

#include <algorithm>

namespace kdx::sim {

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kDirectoryName = "1PAY.SYS.DDF01";

Bytes Status(std::uint16_t sw) {
  return {static_cast<std::uint8_t>(sw >> 8), static_cast<std::uint8_t>(sw & 0xFF)};
}

Bytes WithStatus(Bytes data, std::uint16_t sw) {
  data.push_back(static_cast<std::uint8_t>(sw >> 8));
  data.push_back(static_cast<std::uint8_t>(sw & 0xFF));
  return data;
}

// File control information: 6F, length, 84 (the name), A5 (no proprietary data).
Bytes ControlInformation(const std::string& name) {
  Bytes fci{0x6F, static_cast<std::uint8_t>(name.size() + 4), 0x84,
            static_cast<std::uint8_t>(name.size())};
  fci.insert(fci.end(), name.begin(), name.end());
  fci.push_back(0xA5);
  fci.push_back(0x00);
  return fci;
}

}  // namespace

Bytes Iso7816Card::transmit(const Bytes& apdu) {
  if (apdu.size() < 4) return Status(0x6700);
  if (apdu[0] != 0x00) return Status(0x6E00);
  switch (apdu[1]) {
    case 0xA4:
      return select(apdu);
    case 0x84:
      return challenge(apdu);
    default:
      return Status(0x6D00);
  }
}

// 00 A4 P1 P2 Lc data [Le]: Lc must match the data that follow.
Bytes Iso7816Card::select(const Bytes& apdu) {
  if (apdu.size() < 5) return Status(0x6700);
  const std::size_t lc = apdu[4];
  if (apdu.size() != 5 + lc && apdu.size() != 6 + lc) return Status(0x6700);
  const Bytes data(apdu.begin() + 5, apdu.begin() + 5 + static_cast<std::ptrdiff_t>(lc));
  if (apdu[2] == 0x00 && apdu[3] == 0x00) {
    if (data == Bytes{0x3F, 0x00}) {
      selected_ = "3F00";
      return Status(0x9000);
    }
    return Status(0x6A82);
  }
  if (apdu[2] == 0x04 && apdu[3] == 0x00) {
    if (data == Bytes(kDirectoryName.begin(), kDirectoryName.end())) {
      selected_ = kDirectoryName;
      return WithStatus(ControlInformation(kDirectoryName), 0x9000);
    }
    return Status(0x6A82);
  }
  return Status(0x6B00);
}

// 00 84 00 00 Le, Le 4 or 8.
Bytes Iso7816Card::challenge(const Bytes& apdu) {
  if (apdu.size() != 5 || (apdu[4] != 4 && apdu[4] != 8)) return Status(0x6700);
  if (apdu[2] != 0x00 || apdu[3] != 0x00) return Status(0x6B00);
  Bytes bytes(apdu[4]);
  std::uniform_int_distribution<int> byte(0, 255);
  std::generate(bytes.begin(), bytes.end(),
                [&] { return static_cast<std::uint8_t>(byte(random_)); });
  return WithStatus(bytes, 0x9000);
}

}  // namespace kdx::sim
