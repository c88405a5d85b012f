#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kdx {

// Twelve sensor states: '0' off, '1' on, anything else unknown.
using SensorStates = std::array<std::uint8_t, 12>;

// Configuration record: ten bytes as the device reports them; 0 marks a byte
// the reply did not carry, which every line treats as an unknown value.
using ConfigurationRecord = std::array<std::uint8_t, 10>;

// The value texts of the configuration dialog's eight lines, top to bottom;
// "" for a value the device does not define.
using ConfigurationTexts = std::array<std::string, 8>;

// What the device-management operations remember between presses and hand to
// their dialogs. Owned by the application and passed by reference.
struct DeviceRecords {
  // Initialize option chosen in the option dialog; 0 means send nothing.
  std::uint8_t initializeCode = 0;
  // Last sensor reply.
  SensorStates sensors{};
  // Last configuration reply's ten bytes.
  ConfigurationRecord configuration{};
  // Last serial number reply's data as text.
  std::string serialNumber;
};

}  // namespace kdx
