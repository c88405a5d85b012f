#include "device/device_operations.h"

#include <array>

#include "device/card_type.h"
#include "device/counter.h"
#include "device/identity.h"
#include "device/initialize.h"
#include "device/status.h"

namespace kdx {

namespace {

// Frames of the left column and of the EXTEND FUNCTION tab.
constexpr std::string_view kResetStatus = "Frame1";
constexpr std::string_view kCardTypeFrame = "FRAMEOTHER(0)";
constexpr std::string_view kEntryControl = "Frame3";
constexpr std::string_view kCardMove = "Frame2";
constexpr std::string_view kSerialNumberFrame = "FRAMEOTHER(4)";
constexpr std::string_view kConfigurationFrame = "FRAMEOTHER(5)";
constexpr std::string_view kCounterFrame = "FRAMEOTHER(6)";

// The move and entry buttons send no data and confirm a positive reply with
// their box; status bytes and data of the reply are only in the monitor. The
// plain front move sends "9"; the front move that holds the card sends "0".
// INITIALIZE's parameter code is the option chosen in its dialog.
const std::array<DeviceOperation, 16> kRows{{
    {"ReaderResetBtn", "INITIALIZE", kResetStatus, kInitializeCommand, 0, ChooseInitializeOption,
     ShowInitialized, "Reset", "Reset success"},
    {"CardStatusBtn", "Card Status", kResetStatus, kStatusCommand, kCardStatusParameter, nullptr,
     ShowCardStatus, "Card Status", "Card Status Success"},
    {"SensorStatusBtn", "Sensor Status", kResetStatus, kStatusCommand, kSensorStatusParameter,
     nullptr, ShowSensorStates, "", ""},
    {"RFTestTypeCmd", "RF Card Type", kCardTypeFrame, kCardTypeCommand, kRfCardTypeParameter,
     nullptr, ShowRfCardType, "Test RF Type", "Test RF Type Complete"},
    {"ICTestTypeCmd", "IC Card Type", kCardTypeFrame, kCardTypeCommand, kIcCardTypeParameter,
     nullptr, ShowIcCardType, "Test IC Type", "Test IC Type Complete"},
    {"AllCardInBtn", "Allowed", kEntryControl, '3', '0', nullptr, nullptr, "Allowed",
     "Allowed success"},
    {"NoCardInBtn", "Prohibition", kEntryControl, '3', '1', nullptr, nullptr, "Prohibition",
     "Prohibition success"},
    {"MoveCardToFront1Btn", "the front", kCardMove, '2', '9', nullptr, nullptr,
     "Move card to the front", "Move card to the front success"},
    {"MoveCardToFront2Btn", "the front,hold the card", kCardMove, '2', '0', nullptr, nullptr,
     "Move card to the front with hold card", "Move card to the front with hold card success"},
    {"MoveCardToRFBtn", "the RF card operation position", kCardMove, '2', '2', nullptr, nullptr,
     "Move card to RF card operation position", "Move card to RF card operation position success"},
    {"MoveCardToICCBtn", "the IC card operation position", kCardMove, '2', '1', nullptr, nullptr,
     "Move card to IC card operation position", "Move card to IC card operation position success"},
    {"MoveCardToRecycleBinBtn", "Error Card Bin", kCardMove, '2', '3', nullptr, nullptr,
     "Move card to the error card bin", "Move card to the error card bin success"},
    {"TypeReadsn", "Read SN", kSerialNumberFrame, kReadSerialCommand, '0', SerialNumberRequest,
     ShowSerialNumber, "", ""},
    {"IRCONFIGCMD", "Unit configuration", kConfigurationFrame, kReadConfigurationCommand, '0',
     nullptr, ShowConfiguration, "", ""},
    {"IRTenKaReadCMD", "Read Counter", kCounterFrame, kCounterCommand, kReadCounterParameter,
     EmptyCounterField, ShowCounter, "Read Counter", "Read Counter Success"},
    {"IRTenKaFormatCMD", "InitializeI Counter", kCounterFrame, kCounterCommand,
     kSetCounterParameter, PaddedCounter, nullptr, "InitializeI Counter",
     "InitializeI Counter Success"},
}};

}  // namespace

std::span<const DeviceOperation> DeviceOperations() {
  return kRows;
}

const DeviceOperation* FindDeviceOperation(std::string_view control) {
  return FindRow(DeviceOperations(), control);
}

CommandOutcome RunDeviceOperation(DeviceContext& context, const DeviceOperation& row) {
  return RunOperation(context, row);
}

}  // namespace kdx
