#pragma once

#include "link/link_state.h"
#include "link/monitor.h"
#include "link/operation.h"
#include "link/session.h"
#include "model/device_model.h"
#include "model/sim_line.h"
#include "model/virtual_clock.h"
#include "recording_messages.h"

namespace kdx::test {

// A simulated KDX-846 wired to a session on virtual time: the model on port
// `port` at `baud`, the line open there and the link-open flag set, as after
// a passed port setup. Tests drive operations through `session` and look at
// `model`, `monitor`, `messages` and `clock`.
struct SimRig {
  sim::VirtualClock clock;
  sim::DeviceModel model;
  sim::SimLine line{clock};
  RecordingMessages messages;
  Monitor monitor;
  LinkState state;
  Session session{line, clock, messages, monitor, state};

  explicit SimRig(int port = 1, int baud = 9600) {
    line.attach(port, model, baud);
    line.open(port, baud);
    state.linkOpen = true;
  }

  // One command as a button sends it; the reply, positive or negative, in
  // `reply`. A negative reply has been reported to `messages`.
  CommandOutcome run(std::uint8_t command, std::uint8_t parameter, ByteView data, Reply& reply) {
    return RunCommand(session, command, parameter, data, nullptr, &reply);
  }
  CommandOutcome run(std::uint8_t command, std::uint8_t parameter, Reply& reply) {
    return run(command, parameter, {}, reply);
  }
};

}  // namespace kdx::test
