#include "rf/rf_operations.h"

#include <array>

#include "rf/activation.h"
#include "rf/apdu_operations.h"
#include "rf/mifare_exchange.h"
#include "rf/mifare_operations.h"

namespace kdx {

namespace {

constexpr std::uint8_t C = kRfCommand;
constexpr std::uint8_t M = kRfMifare;

// For the instruction rows `text` is the heading above the result line.
const std::array<RfOperation, 17> kRows{{
    {"RFCardUPBtn", "Activate", kActivationRow, C, kRfActivate, ActivationRequest, ShowActivation,
     "Activate", ""},
    {"RFCardStatusBtn", "Inquire Status", kActivationRow, C, kRfStatus, nullptr, ShowRfStatus,
     "Inquire Status", ""},
    {"RFCardDownBtn", "Deactivate", kActivationRow, C, kRfDeactivate, nullptr, nullptr,
     "Deactivate", "Deactivate Success"},
    {"StoreKeyToEEBtn", "Download password to EEPROM", kKeyFrame, C, M, StoreKeyRequest,
     ShowKeyDownloadResult, "Download password to EEPROM", "Download password to EEPROM "},
    {"ReadKeyFromEEBtn", "Load password from the EEPROM", kKeyFrame, C, M, LoadKeyRequest,
     ShowMifareResult, "Load password from the EEPROM", "Load password from the EEPROM "},
    {"RFCheckPasswordBtn", "Check password", kKeyFrame, C, M, CheckKeyRequest, ShowMifareResult,
     "Check Password", "Check Password"},
    {"RFChangePasswordBtn", "Change Password", kKeyFrame, C, M, ChangeKeyRequest, ShowMifareResult,
     "Change Password", "Change Password"},
    {"RFreadBtn", "Read Block Data", kBlockFrame, C, M, ReadBlockRequest, ShowBlockRead,
     "Read block data", "Read block data"},
    {"RFwriteBtn", "Write Block Data", kBlockFrame, C, M, WriteBlockRequest, ShowMifareResult,
     "Write Block Data", "Write Block Data"},
    {"INITRFCmd", "Initialize", kPurseFrame, C, M, InitValueRequest, ShowMifareResult, "Initialize",
     "Initialize success"},
    {"INCRFCmd", "Increment", kPurseFrame, C, M, IncrementRequest, ShowMifareResult, "Increment",
     "Increment"},
    {"DECRFCmd", "Decrement", kPurseFrame, C, M, DecrementRequest, ShowMifareResult, "Decrement",
     "Decrement"},
    {"ReadValueRfCmd", "Read", kPurseFrame, C, M, ReadValueRequest, ShowPurseValue, "Read",
     "Read success"},
    {"ULCmdRread", "Read Block Data", kPageFrame, C, M, ReadPageRequest, ShowPageRead,
     "Read block data", "Read block data"},
    {"ULCmdRwrite", "Write Block Data", kPageFrame, C, M, WritePageRequest, ShowMifareResult,
     "Write Block Data", "Write Block Data"},
    {"SendTypeACmd", "Send APDU", kTypeAFrame, C, kRfTypeAApdu, TypeAApduRequest, ShowApduResponse,
     "C-APDU", "Success"},
    {"SendTypeBCmd", "Send APDU", kTypeBFrame, C, kRfTypeBApdu, TypeBApduRequest, ShowApduResponse,
     "C-APDU", "Success"},
}};

}  // namespace

std::span<const RfOperation> RfOperations() {
  return kRows;
}

const RfOperation* FindRfOperation(std::string_view control) {
  return FindRow(RfOperations(), control);
}

CommandOutcome RunRfOperation(RfContext& context, const RfOperation& row) {
  return RunOperation(context, row);
}

}  // namespace kdx
