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
    {"SiemensICUp1", "Activate", kTab, kSleCommand, kActivateParameter, nullptr,
     SleActivated<Sle4442Context>, "", ""},
    {"SiemensICStatus1", "Inquire Status", kTab, kSleCommand, kStatusParameter, nullptr,
     SleStatus<Sle4442Context>, "", ""},
    {"SiemensICDown1", "Deactivate", kTab, kSleCommand, kDeactivateParameter, nullptr, nullptr,
     "Deactivate", "Deactivate success"},
    {"SL4442Pass", "Verification Password", kTab, kSleCommand, kSle4442Parameter, Verify,
     ShowStatusWord<Sle4442Context>, "", ""},
    {"SL4442Change", "Change Password", kTab, kSleCommand, kSle4442Parameter, ChangePassword,
     ShowStatusWord<Sle4442Context>, "", ""},
    {"SL4442ReadAnquan", "Read Security Memory", kTab, kSleCommand, kSle4442Parameter, ReadSecurity,
     ShowInlineRead<Sle4442Context>, "", ""},
    {"SL4442ReadCenChu", "Read Main Memory", kTab, kSleCommand, kSle4442Parameter,
     Read<kMainMemory>, ShowGridRead<Sle4442Context>, "", ""},
    {"SL4442ReadBaoHu", "Read Protection Memory", kTab, kSleCommand, kSle4442Parameter,
     Read<kProtectionMemory>, ShowGridRead<Sle4442Context>, "", ""},
    {"SL4442WriteCenChu", "Write Main Memory", kTab, kSleCommand, kSle4442Parameter,
     Write<kMainMemory>, ShowStatusWord<Sle4442Context>, "", ""},
    {"SL4442WriteBaoHu", "Write Protection Memory", kTab, kSleCommand, kSle4442Parameter,
     Write<kProtectionMemory>, ShowStatusWord<Sle4442Context>, "", ""},
}};

}  // namespace

std::span<const Sle4442Operation> Sle4442Operations() {
  return kRows;
}

const Sle4442Operation* FindSle4442Operation(std::string_view control) {
  return FindRow(Sle4442Operations(), control);
}

}  // namespace kdx
