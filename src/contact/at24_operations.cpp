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
    {"IC24Reset", "Activate", kTab, kAt24Command, kActivateParameter, ActivateData, Activated, "",
     ""},
    {"IC24ICStatus", "Inquire Status", kTab, kAt24Command, kStatusParameter, nullptr, Status, "",
     ""},
    {"IC24ICDown", "Deactivate", kTab, kSleCommand, kDeactivateParameter, nullptr, nullptr,
     "Deactivate", "Deactivate Success"},
    {"IC24XXREAD", "Read Data", kTab, kAt24Command, kAt24CardParameter, ReadData,
     ShowGridRead<At24Context>, "", ""},
    {"IC24XXWRITE", "Write Data", kTab, kAt24Command, kAt24CardParameter, WriteData,
     ShowStatusWord<At24Context>, "", ""},
}};

}  // namespace

std::span<const At24Operation> At24Operations() {
  return kRows;
}

const At24Operation* FindAt24Operation(std::string_view control) {
  return FindRow(At24Operations(), control);
}

}  // namespace kdx
