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
    {.control = "ReaderResetBtn",
     .caption = "INITIALIZE",
     .frame = kResetStatus,
     .command = kInitializeCommand,
     .check = ChooseInitializeOption,
     .onPositive = ShowInitialized,
     .boxTitle = "Reset",
     .boxText = "Reset success"},
    {.control = "CardStatusBtn",
     .caption = "Card Status",
     .frame = kResetStatus,
     .command = kStatusCommand,
     .parameter = kCardStatusParameter,
     .onPositive = ShowCardStatus,
     .boxTitle = "Card Status",
     .boxText = "Card Status Success"},
    {.control = "SensorStatusBtn",
     .caption = "Sensor Status",
     .frame = kResetStatus,
     .command = kStatusCommand,
     .parameter = kSensorStatusParameter,
     .onPositive = ShowSensorStates},
    {.control = "RFTestTypeCmd",
     .caption = "RF Card Type",
     .frame = kCardTypeFrame,
     .command = kCardTypeCommand,
     .parameter = kRfCardTypeParameter,
     .onPositive = ShowRfCardType,
     .boxTitle = "Test RF Type",
     .boxText = "Test RF Type Complete"},
    {.control = "ICTestTypeCmd",
     .caption = "IC Card Type",
     .frame = kCardTypeFrame,
     .command = kCardTypeCommand,
     .parameter = kIcCardTypeParameter,
     .onPositive = ShowIcCardType,
     .boxTitle = "Test IC Type",
     .boxText = "Test IC Type Complete"},
    {.control = "AllCardInBtn",
     .caption = "Allowed",
     .frame = kEntryControl,
     .command = '3',
     .parameter = '0',
     .boxTitle = "Allowed",
     .boxText = "Allowed success"},
    {.control = "NoCardInBtn",
     .caption = "Prohibition",
     .frame = kEntryControl,
     .command = '3',
     .parameter = '1',
     .boxTitle = "Prohibition",
     .boxText = "Prohibition success"},
    {.control = "MoveCardToFront1Btn",
     .caption = "the front",
     .frame = kCardMove,
     .command = '2',
     .parameter = '9',
     .boxTitle = "Move card to the front",
     .boxText = "Move card to the front success"},
    {.control = "MoveCardToFront2Btn",
     .caption = "the front,hold the card",
     .frame = kCardMove,
     .command = '2',
     .parameter = '0',
     .boxTitle = "Move card to the front with hold card",
     .boxText = "Move card to the front with hold card success"},
    {.control = "MoveCardToRFBtn",
     .caption = "the RF card operation position",
     .frame = kCardMove,
     .command = '2',
     .parameter = '2',
     .boxTitle = "Move card to RF card operation position",
     .boxText = "Move card to RF card operation position success"},
    {.control = "MoveCardToICCBtn",
     .caption = "the IC card operation position",
     .frame = kCardMove,
     .command = '2',
     .parameter = '1',
     .boxTitle = "Move card to IC card operation position",
     .boxText = "Move card to IC card operation position success"},
    {.control = "MoveCardToRecycleBinBtn",
     .caption = "Error Card Bin",
     .frame = kCardMove,
     .command = '2',
     .parameter = '3',
     .boxTitle = "Move card to the error card bin",
     .boxText = "Move card to the error card bin success"},
    {.control = "TypeReadsn",
     .caption = "Read SN",
     .frame = kSerialNumberFrame,
     .command = kReadSerialCommand,
     .parameter = '0',
     .check = SerialNumberRequest,
     .onPositive = ShowSerialNumber},
    {.control = "IRCONFIGCMD",
     .caption = "Unit configuration",
     .frame = kConfigurationFrame,
     .command = kReadConfigurationCommand,
     .parameter = '0',
     .onPositive = ShowConfiguration},
    {.control = "IRTenKaReadCMD",
     .caption = "Read Counter",
     .frame = kCounterFrame,
     .command = kCounterCommand,
     .parameter = kReadCounterParameter,
     .check = EmptyCounterField,
     .onPositive = ShowCounter,
     .boxTitle = "Read Counter",
     .boxText = "Read Counter Success"},
    {.control = "IRTenKaFormatCMD",
     .caption = "InitializeI Counter",
     .frame = kCounterFrame,
     .command = kCounterCommand,
     .parameter = kSetCounterParameter,
     .check = PaddedCounter,
     .boxTitle = "InitializeI Counter",
     .boxText = "InitializeI Counter Success"},
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
