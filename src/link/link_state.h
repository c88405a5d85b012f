#pragma once

#include <string>

namespace kdx {

// What every operation asks before it talks to the device: whether a checked
// unit is on the line, and at which address. Owned by the application and
// passed by reference; no globals.
struct LinkState {
  // Set by the port dialog after a passed unit check, cleared by "Close Comm".
  bool linkOpen = false;
  // The address combo's text, kept current by the main window; every command
  // reads it afresh.
  std::string addressText = "0";
};

}  // namespace kdx
