// Identity and housekeeping: serial number (A2h), configuration (A3h) and the
// capture card counter (A5h).
//
// - A2h "0": the data byte, when present and not 0, is how many characters
//   the host wants (it sends 12h, 18); the serial number is cut or padded
//   with blanks to that length. Without it the whole serial number comes.
// - A3h "0": ten ASCII bytes: "7" (this unit's identifying word), the
//   software code (three characters), "E" (RF and contact cards), "R"
//   (RS-232), "2" (standard IC module), "2" (standard RF module), the SAM
//   socket count as a digit, "0" (rub card issuer).
// - A5h "0" reads the counter as three ASCII digits; "1" sets it from exactly
//   three ASCII digits, anything else is refused with "04".
#include <algorithm>
#include <cstdio>

#include "model/command_set.h"

namespace kdx::sim {

namespace {

constexpr std::uint8_t kSerialNumber = 0xA2;
constexpr std::uint8_t kConfiguration = 0xA3;
constexpr std::uint8_t kCounter = 0xA5;

Response SerialNumber(DeviceState& s, const Command& c) {
  if (c.parameter != '0') return Response::Negative(kBadParameter);
  std::string text = s.serialNumber;
  if (!c.data.empty() && c.data[0] != 0) text.resize(c.data[0], ' ');
  return Response::Positive(text);
}

Response Configuration(DeviceState& s, const Command& c) {
  if (c.parameter != '0') return Response::Negative(kBadParameter);
  std::string code = s.softwareCode;
  code.resize(3, ' ');
  const char sams = static_cast<char>('0' + std::clamp(s.samSockets, 0, 9));
  return Response::Positive("7" + code + "ER22" + sams + "0");
}

Response Counter(DeviceState& s, const Command& c) {
  if (c.parameter == '0') {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", s.captureCounter % 1000);
    return Response::Positive(std::string_view(digits, 3));
  }
  if (c.parameter != '1') return Response::Negative(kBadParameter);
  const bool digits =
      c.data.size() == 3 && std::all_of(c.data.begin(), c.data.end(),
                                        [](std::uint8_t b) { return b >= '0' && b <= '9'; });
  if (!digits) return Response::Negative(kBadData);
  s.captureCounter = (c.data[0] - '0') * 100 + (c.data[1] - '0') * 10 + (c.data[2] - '0');
  return Response::Positive();
}

}  // namespace

void AddIdentityCommands(CommandSet& commands) {
  commands.add(kSerialNumber, SerialNumber);
  commands.add(kConfiguration, Configuration);
  commands.add(kCounter, Counter);
}

}  // namespace kdx::sim
