#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "device/device_records.h"
#include "device/tab_stop.h"
#include "link/operation.h"

namespace kdx {

// The device-management controls and dialogs as the operations see them.
// The dialogs are modal: each call returns when the operator has closed it.
class DeviceView {
 public:
  virtual ~DeviceView() = default;
  // The INITIALIZE option dialog: the chosen parameter code, or 0 when
  // nothing is to be sent (Cancel, or the dialog closed by its frame).
  virtual std::uint8_t chooseInitializeOption() = 0;
  virtual void showSensors(const SensorStates& states) = 0;
  virtual void showSerialNumber(std::string_view serialNumber) = 0;
  virtual void showConfiguration(const ConfigurationTexts& values) = 0;
  // The capture card counter's entry field.
  virtual std::string counterText() const = 0;
  virtual void setCounterText(std::string_view text) = 0;
  // Brings the listed tabs to the front, in the order given.
  virtual void bringTabsToFront(std::span<const TabStop> stops) = 0;
};

// What every device-management operation works on.
struct DeviceContext {
  Session& session;
  DeviceRecords& records;
  DeviceView& view;
};

using DeviceOperation = OperationRow<DeviceContext>;

}  // namespace kdx
