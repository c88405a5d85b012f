#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/operation.h"

namespace kdx {

inline constexpr std::uint8_t kReadSerialCommand = 0xA2;
inline constexpr std::uint8_t kReadConfigurationCommand = 0xA3;
// The one data byte the serial number command carries.
inline constexpr std::uint8_t kReadSerialData = 0x12;

// The serial number without leading and trailing blanks, as the dialog shows it.
std::string TrimmedSerialNumber(std::string_view text);

// Shows the serial number modally.
class SerialNumberView {
 public:
  virtual ~SerialNumberView() = default;
  virtual void showSerialNumber(std::string_view serialNumber) = 0;
};

// "Read SN": a positive reply's data, as characters, becomes the program-wide
// serial number; the view shows it trimmed.
CommandOutcome RunReadSerialNumber(Session& session, SerialNumberView& view);

// Configuration record: ten bytes as the device reports them; 0 marks a byte
// the reply did not carry, which every line treats as an unknown value.
using ConfigurationRecord = std::array<std::uint8_t, 10>;

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

// The value texts of the eight lines, top to bottom; "" for a value the
// device does not define.
using ConfigurationTexts = std::array<std::string, 8>;
ConfigurationTexts ConfigurationValueTexts(const ConfigurationRecord& record);

// Shows the configuration lines modally.
class ConfigurationView {
 public:
  virtual ~ConfigurationView() = default;
  virtual void showConfiguration(const ConfigurationTexts& values) = 0;
};

// "Unit configuration": the first ten data bytes of a positive reply replace
// the program-wide configuration record (missing bytes become unknown); the
// view shows its texts.
CommandOutcome RunReadConfiguration(Session& session, ConfigurationView& view);

}  // namespace kdx
