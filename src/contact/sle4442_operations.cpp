// The SLE4442 card commands carry an APDU (CLA, INS, P1, P2, length, data)
// as the data of command "S" "3"; P1 of the reads and writes selects the
// memory area: 00h main, 01h protection, 02h security memory.
#include "contact/sle4442_operations.h"

#include <array>

#include "contact/card_command.h"

namespace kdx {

namespace {

constexpr std::string_view kTab = "SLE4442";
constexpr std::uint8_t kMainMemory = 0x00;
constexpr std::uint8_t kProtectionMemory = 0x01;
constexpr std::uint8_t kSecurityMemory = 0x02;

// The three PSC bytes after the header, for presenting and for changing.
Outgoing WithPassword(Sle4442Context& c, std::uint8_t ins, std::uint8_t p1) {
  const Sle4442Inputs in = c.view.inputs();
  ApduBuilder apdu;
  apdu.add(0x00).add(ins).add(p1).add(0x01).add(0x03);
  apdu.field(in.password1).field(in.password2).field(in.password3);
  return apdu.outgoing();
}

Outgoing Verify(Sle4442Context& c) {
  return WithPassword(c, 0x20, 0x03);
}
Outgoing ChangePassword(Sle4442Context& c) {
  return WithPassword(c, kInsWrite, kSecurityMemory);
}

Outgoing ReadSecurity(Sle4442Context& c) {
  EmptiedGrid(c);
  return Outgoing::Send({0x00, kInsRead, kSecurityMemory, 0x00, 0x04});
}

template <std::uint8_t Area>
Outgoing Read(Sle4442Context& c) {
  EmptiedGrid(c);
  const Sle4442Inputs in = c.view.inputs();
  ApduBuilder apdu;
  apdu.add(0x00).add(kInsRead).add(Area).field(in.address).field(in.length);
  return apdu.outgoing();
}

template <std::uint8_t Area>
Outgoing Write(Sle4442Context& c) {
  const Sle4442Inputs in = c.view.inputs();
  ApduBuilder apdu;
  apdu.add(0x00).add(kInsWrite).add(Area).field(in.address);
  apdu.lengthAndGridData(in.length, c.view.dataGrid());
  return apdu.outgoing();
}

const std::array<Sle4442Operation, 10> kRows{{
    {.control = "SiemensICUp1",
     .caption = "Activate",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kActivateParameter,
     .onPositive = SleActivated<Sle4442Context>},
    {.control = "SiemensICStatus1",
     .caption = "Inquire Status",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kStatusParameter,
     .onPositive = SleStatus<Sle4442Context>},
    {.control = "SiemensICDown1",
     .caption = "Deactivate",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kDeactivateParameter,
     .boxTitle = "Deactivate",
     .boxText = "Deactivate success"},
    {.control = "SL4442Pass",
     .caption = "Verification Password",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4442Parameter,
     .check = Verify,
     .onPositive = ShowStatusWord<Sle4442Context>},
    {.control = "SL4442Change",
     .caption = "Change Password",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4442Parameter,
     .check = ChangePassword,
     .onPositive = ShowStatusWord<Sle4442Context>},
    {.control = "SL4442ReadAnquan",
     .caption = "Read Security Memory",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4442Parameter,
     .check = ReadSecurity,
     .onPositive = ShowInlineRead<Sle4442Context>},
    {.control = "SL4442ReadCenChu",
     .caption = "Read Main Memory",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4442Parameter,
     .check = Read<kMainMemory>,
     .onPositive = ShowGridRead<Sle4442Context>},
    {.control = "SL4442ReadBaoHu",
     .caption = "Read Protection Memory",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4442Parameter,
     .check = Read<kProtectionMemory>,
     .onPositive = ShowGridRead<Sle4442Context>},
    {.control = "SL4442WriteCenChu",
     .caption = "Write Main Memory",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4442Parameter,
     .check = Write<kMainMemory>,
     .onPositive = ShowStatusWord<Sle4442Context>},
    {.control = "SL4442WriteBaoHu",
     .caption = "Write Protection Memory",
     .frame = kTab,
     .command = kSleCommand,
     .parameter = kSle4442Parameter,
     .check = Write<kProtectionMemory>,
     .onPositive = ShowStatusWord<Sle4442Context>},
}};

}  // namespace

std::span<const Sle4442Operation> Sle4442Operations() {
  return kRows;
}

const Sle4442Operation* FindSle4442Operation(std::string_view control) {
  return FindRow(Sle4442Operations(), control);
}

}  // namespace kdx
