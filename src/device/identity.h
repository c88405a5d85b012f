#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/device_context.h"

namespace kdx {

inline constexpr std::uint8_t kReadSerialCommand = 0xA2;
inline constexpr std::uint8_t kReadConfigurationCommand = 0xA3;
// The one data byte the serial number command carries.
inline constexpr std::uint8_t kReadSerialData = 0x12;

// The serial number without leading and trailing blanks, as the dialog shows it.
std::string TrimmedSerialNumber(std::string_view text);

// "Read SN" sends the one data byte.
Outgoing SerialNumberRequest(DeviceContext& context);
// A positive reply's data, as characters, becomes the program-wide serial
// number; the view shows it trimmed.
void ShowSerialNumber(DeviceContext& context, const DeviceOperation& row, const Reply& reply);

// A line of the configuration dialog: its caption and the label of its value.
struct ConfigurationLine {
  std::string_view caption;
  std::string_view valueLabel;
};

inline constexpr std::array<ConfigurationLine, 8> kConfigurationLines{{
    {"Card machiner identifies words", "Label10"},
    {"Software code", "Label11"},
    {"Support the type of card operation", "Label12"},
    {"Communication Interface", "Label13"},
    {"IC Card Module Type", "Label14"},
    {"RF Card Module Type", "Label15"},
    {"SAM Card Module Type", "Label16"},
    {"Dispense card component type", "Label17"},
}};

// The value texts of the eight lines.
ConfigurationTexts ConfigurationValueTexts(const ConfigurationRecord& record);

// "Unit configuration": the first ten data bytes of a positive reply replace
// the program-wide configuration record (missing bytes become unknown); the
// view shows its texts.
void ShowConfiguration(DeviceContext& context, const DeviceOperation& row, const Reply& reply);

}  // namespace kdx
