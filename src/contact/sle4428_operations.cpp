// The SLE4428 card commands carry an APDU as the data of command "S" "4".
// Addresses run from 0000h to 03FFh: the high byte travels in P1, the low
// byte in P2. The writes put their mode in P1's high digit (0 without, 2 with
// the protection bit) and the high address in its low digit.
#include "contact/sle4428_operations.h"

#include <array>

#include "contact/card_command.h"

namespace kdx {

namespace {

constexpr std::string_view kTab = "SLE4428";
constexpr std::uint8_t kHighestPage = 0x03;
constexpr std::uint8_t kProtectionArea = 0x10;
constexpr std::uint8_t kWithoutProtectionBit = 0x00;
constexpr std::uint8_t kWithProtectionBit = 0x20;

Outgoing WithPassword(Sle4428Context& c, std::uint8_t ins, std::uint8_t p1) {
  const Sle4428Inputs in = c.view.inputs();
  ApduBuilder apdu;
  apdu.add(0x00).add(ins).add(p1).add(0x00).add(0x02);
  apdu.field(in.password1).field(in.password2);
  return apdu.outgoing();
}

Outgoing CheckPassword(Sle4428Context& c) {
  return WithPassword(c, 0x20, 0x00);
}
Outgoing ChangePassword(Sle4428Context& c) {
  return WithPassword(c, 0x24, 0x01);
}

Outgoing ReadMain(Sle4428Context& c) {
  EmptiedGrid(c);
  const Sle4428Inputs in = c.view.inputs();
  ApduBuilder apdu;
  apdu.add(0x00).add(kInsRead).field(in.highAddress).field(in.lowAddress).field(in.length);
  return apdu.outgoing();
}

// The protection area has its own fixed P1; the high address is not read.
Outgoing ReadProtection(Sle4428Context& c) {
  EmptiedGrid(c);
  const Sle4428Inputs in = c.view.inputs();
  ApduBuilder apdu;
  apdu.add(0x00).add(kInsRead).add(kProtectionArea).field(in.lowAddress).field(in.length);
  return apdu.outgoing();
}

// A high address above 03h is refused before anything else: the write would
// otherwise land on an address the operator did not type.
template <std::uint8_t Mode>
Outgoing Write(Sle4428Context& c) {
  const Sle4428Inputs in = c.view.inputs();
  const auto high = ParseHexByte(in.highAddress);
  if (!high) return Outgoing::Refuse(kCheckData);
  if (*high > kHighestPage) return Outgoing::Refuse(kAddressOutOfRange);
  ApduBuilder apdu;
  apdu.add(0x00).add(kInsWrite).add(static_cast<std::uint8_t>(Mode + *high)).field(in.lowAddress);
  apdu.lengthAndGridData(in.length, c.view.dataGrid());
  return apdu.outgoing();
}

const std::array<Sle4428Operation, 9> kRows{{
    {.control = "SiemensICUp2",
     .caption = "Activate",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kActivateParameter,
     .onPositive = SleActivated<Sle4428Context>},
    {.control = "SiemensICStatus2",
     .caption = "Inquire Status",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kStatusParameter,
     .onPositive = SleStatus<Sle4428Context>},
    {.control = "SiemensICDown2",
     .caption = "Deactivate",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kDeactivateParameter,
     .boxTitle = "Deactivate",
     .boxText = "Deactivate success"},
    {.control = "SL4428PASS",
     .caption = "Check Password",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4428Parameter,
     .check = CheckPassword,
     .onPositive = ShowStatusWord<Sle4428Context>},
    {.control = "SL4428CHANGE",
     .caption = "Change Password",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4428Parameter,
     .check = ChangePassword,
     .onPositive = ShowStatusWord<Sle4428Context>},
    {.control = "SL4428READAREA",
     .caption = "Read Main Memory",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4428Parameter,
     .check = ReadMain,
     .onPositive = ShowGridRead<Sle4428Context>},
    {.control = "SL4428READBIT",
     .caption = "Read Protection Memory",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4428Parameter,
     .check = ReadProtection,
     .onPositive = ShowGridRead<Sle4428Context>},
    {.control = "SL4428WRITEAREA1",
     .caption = "Write Without Protection Bit",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4428Parameter,
     .check = Write<kWithoutProtectionBit>,
     .onPositive = ShowStatusWord<Sle4428Context>},
    {.control = "SL4428WRITEAREA2",
     .caption = "Write With Protection Bit",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4428Parameter,
     .check = Write<kWithProtectionBit>,
     .onPositive = ShowStatusWord<Sle4428Context>},
}};

}  // namespace

std::span<const Sle4428Operation> Sle4428Operations() {
  return kRows;
}

const Sle4428Operation* FindSle4428Operation(std::string_view control) {
  return FindRow(Sle4428Operations(), control);
}

}  // namespace kdx
