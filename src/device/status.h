#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/device_context.h"

namespace kdx {

inline constexpr std::uint8_t kStatusCommand = '1';
inline constexpr std::uint8_t kCardStatusParameter = '0';
inline constexpr std::uint8_t kSensorStatusParameter = '1';

// The sentences for the three card status bytes; "" for a value the device
// does not define.
std::string_view CardPositionText(std::uint8_t st0);
std::string_view StackerText(std::uint8_t st1);
std::string_view ErrorBinText(std::uint8_t st2);

// "Card Status Success" and the three sentences, joined by CR LF.
std::string CardStatusMessage(std::uint8_t st0, std::uint8_t st1, std::uint8_t st2);

// "Card Status": a positive reply becomes one information box with the
// row's title. Status bytes the reply does not carry count as unknown.
void ShowCardStatus(DeviceContext& context, const DeviceOperation& row, const Reply& reply);

// A sensor line of the sensor dialog: caption label, caption, state label.
struct SensorLine {
  std::string_view captionLabel;
  std::string_view caption;
  std::string_view stateLabel;
};

// Index 0 to 11 as the dialog lists them, top to bottom.
inline constexpr std::array<SensorLine, 12> kSensorLines{{
    {"Label0", "Sensor 1 (PSS1)", "Label10"},
    {"Label1", "Sensor 2 (PSS2)", "Label11"},
    {"Labe2", "Sensor 3 (PSS3)", "Label12"},
    {"Label3", "Sensor 4 (PSS4)", "Label13"},
    {"Label4", "Sensor 5 (PSS5)", "Label14"},
    {"Label5", "Sensor 6 (PSS6)", "Label15"},
    {"Label6", "Sensor 7 (PSS7)", "Label16"},
    {"Label7", "Sensor 8 (PSS8)", "Label17"},
    {"Label8", "Sensor 9 (PSS9)", "Label18"},
    {"Label9", "Sensor 10 (PSS10)", "Label19"},
    {"Label111", "Sensor KS1 (KS1)", "Label20"},
    {"Label1112", "Sensor KS2 (KS2)", "Label21"},
}};

enum class SensorState { Unknown, Off, On };
SensorState SensorStateOf(std::uint8_t value);
// "On", "Off" or "" (unknown).
std::string_view SensorStateText(SensorState state);

// "Sensor Status": a positive reply's first twelve data bytes replace the
// program-wide sensor states, which the view then shows. A reply with fewer
// data bytes fills what it carries; the other sensors become unknown.
void ShowSensorStates(DeviceContext& context, const DeviceOperation& row, const Reply& reply);

}  // namespace kdx
