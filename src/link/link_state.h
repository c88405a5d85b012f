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
  // The port number and rate the link was opened with (for a session file's
  // header); 0 until the port dialog opens it.
  int port = 0;
  int baud = 0;
};

}  // namespace kdx
