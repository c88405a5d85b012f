#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kdx {

// The program-wide values that windows share. One object, owned by the
// application and passed by reference; no globals.
struct AppState {
  // Set by the port dialog after a passed unit check, cleared by "Close Comm".
  bool linkOpen = false;
  // The address combo's text, kept current by the main window; every command
  // reads it afresh.
  std::string addressText = "0";
  // Initialize option chosen in the option dialog; 0 means send nothing.
  std::uint8_t initializeCode = 0;
  // Last sensor reply: '0' off, '1' on, anything else unknown (shown empty).
  std::array<std::uint8_t, 12> sensors{};
  // Last configuration reply's ten bytes.
  std::array<std::uint8_t, 10> configuration{};
  // Last serial number reply's data as text.
  std::string serialNumber;
};

}  // namespace kdx
