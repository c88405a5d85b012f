#pragma once

#include <span>
#include <string_view>

#include "device/device_context.h"

namespace kdx {

// Every device-management button, one row each: the left column's
// "RESET / STATUS", "AUTOTEST CARD TYPE", "Enter Control" and "Card Move to"
// frames top to bottom, then the EXTEND FUNCTION tab's "Unit SN OPERATION",
// "Unit configuration" and "Capture Card Counter" frames. The windows build their buttons from it.
std::span<const DeviceOperation> DeviceOperations();

// The row of button `control`, or nullptr.
const DeviceOperation* FindDeviceOperation(std::string_view control);

// Runs one row: the standard command sequence with the row's check and reply
// handling.
CommandOutcome RunDeviceOperation(DeviceContext& context, const DeviceOperation& row);

}  // namespace kdx
