// The 24Cxx (I2C EEPROM) cards: activation and status under command "T",
// deactivation with the SLE cards' "S" "1", and reads and writes as an APDU
// with a two-byte address (P1 high, P2 low) under "T" "3".
#include "contact/at24_operations.h"

#include <array>

#include "contact/card_command.h"

namespace kdx {

namespace {

constexpr std::string_view kTab = "24CXX";

// The activation carries one data byte, "0".
Outgoing ActivateData(At24Context&) {
  return Outgoing::Send({'0'});
}

void Activated(At24Context& c, const At24Operation&, const Reply& r) {
  ShowAt24Activation(c.session, r);
}
void Status(At24Context& c, const At24Operation&, const Reply& r) {
  ShowAt24Status(c.session, r);
}

Outgoing ReadData(At24Context& c) {
  EmptiedGrid(c);
  const At24Inputs in = c.view.inputs();
  ApduBuilder apdu;
  apdu.add(0x00).add(kInsRead).field(in.highAddress).field(in.lowAddress).field(in.length);
  return apdu.outgoing();
}

Outgoing WriteData(At24Context& c) {
  const At24Inputs in = c.view.inputs();
  ApduBuilder apdu;
  apdu.add(0x00).add(kInsWrite).field(in.highAddress).field(in.lowAddress);
  apdu.lengthAndGridData(in.length, c.view.dataGrid());
  return apdu.outgoing();
}

const std::array<At24Operation, 5> kRows{{
    {.control = "IC24Reset",
     .caption = "Activate",
     .frame = kTab,
     .command = kAt24Command,
     .parameter = kActivateParameter,
     .check = ActivateData,
     .onPositive = Activated},
    {.control = "IC24ICStatus",
     .caption = "Inquire Status",
     .frame = kTab,
     .command = kAt24Command,
     .parameter = kStatusParameter,
     .onPositive = Status},
    {.control = "IC24ICDown",
     .caption = "Deactivate",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kDeactivateParameter,
     .boxTitle = "Deactivate",
     .boxText = "Deactivate Success"},
    {.control = "IC24XXREAD",
     .caption = "Read Data",
     .frame = kTab,
     .command = kAt24Command,
     .parameter = kAt24CardParameter,
     .check = ReadData,
     .onPositive = ShowGridRead<At24Context>},
    {.control = "IC24XXWRITE",
     .caption = "Write Data",
     .frame = kTab,
     .command = kAt24Command,
     .parameter = kAt24CardParameter,
     .check = WriteData,
     .onPositive = ShowStatusWord<At24Context>},
}};

}  // namespace

std::span<const At24Operation> At24Operations() {
  return kRows;
}

const At24Operation* FindAt24Operation(std::string_view control) {
  return FindRow(At24Operations(), control);
}

}  // namespace kdx
