#pragma once

#include "link/clock.h"
#include "link/link_state.h"
#include "link/messages.h"
#include "link/monitor.h"
#include "link/serial_line.h"
#include "link/traffic.h"

namespace kdx {

// Everything an operation talks through: the line, the clock it waits on,
// the message service, the monitor and the shared program state.
struct Session {
  SerialLine& line;
  Clock& clock;
  Messages& messages;
  Monitor& monitor;
  LinkState& state;
  // Hears every exchange beside the monitor (the traffic window); none by
  // default.
  TrafficObserver* traffic = nullptr;
};

// Texts every operation shares.
inline constexpr std::string_view kCaution = "Caution";
inline constexpr std::string_view kPortSetupFirst = "Comm. Port Setup First";
inline constexpr std::string_view kCheckData = "Error:Please Check The Data Effective";
inline constexpr std::string_view kUnitNotDetected =
    "Unit not detected\r\n1.Comm port setup error\r\n2.No power on Unit\r\n"
    "Device Address Error\r\n3.Communication line not connected";

inline void ShowCaution(Messages& messages, std::string_view text) {
  messages.show(kCaution, text, Icon::Exclamation);
}

}  // namespace kdx
