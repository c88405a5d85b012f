#pragma once

#include "link/clock.h"
#include "link/link_state.h"
#include "link/monitor.h"
#include "link/session.h"
#include "recording_messages.h"
#include "ui/adapters/qt_serial_line.h"

namespace kdx::test {

// A session over the real QSerialPort adapter, for end-to-end tests: COMn
// reaches a simulator's terminal through KDX846_COMn. The link is closed
// until the test opens the line and sets the flag.
struct PortSession {
  ui::QtSerialLine line;
  SteadyClock clock;
  RecordingMessages messages;
  Monitor monitor;
  LinkState state;
  Session session{line, clock, messages, monitor, state};
};

}  // namespace kdx::test
