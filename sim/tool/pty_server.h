#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/clock.h"
#include "model/device_model.h"
#include "model/replay_unit.h"
#include "tool/line_flood.h"

namespace kdx::sim {

// Serves a DeviceModel on a pseudo-terminal in real time. The host opens the
// terminal through a symbolic link; bytes from it go to the model, the
// model's scheduled output is written back when due. Control lines arrive on
// standard input; each frame and byte on the line is logged on standard
// error. SIGINT and SIGTERM end the service and remove the link. The control
// "flood" makes it send line noise at a steady rate besides.
class PtyServer {
 public:
  PtyServer(DeviceModel& model, std::optional<int> baud) : model_(model), baud_(baud) {}
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Plays a recorded unit instead of the model (which may still answer
  // what was never recorded, and takes the control lines).
  void setReplay(ReplayUnit* replay) { replay_ = replay; }

  // Opens the terminal and makes `linkPath` point at it. A stale link at that
  // path is replaced; anything else there is an error.
  bool start(const std::string& linkPath, std::string& error);
  // Serves until a terminating signal; returns the exit status.
  int run();

 private:
  bool rateMatches();
  void readHost();
  void readControls();
  void writeDue();
  void log(const std::string& what);

  DeviceModel& model_;
  ReplayUnit* replay_ = nullptr;
  std::optional<int> baud_;
  SteadyClock clock_;
  std::int64_t startMs_ = 0;
  int master_ = -1;
  // The terminal's own end, kept open by the simulator: the host's rate is
  // read from it, and the master never sees a hang-up between host sessions.
  int slave_ = -1;
  int signals_ = -1;
  bool stdinOpen_ = true;
  std::string controlBuffer_;
  std::string linkPath_;
  LineFlood flood_;
};

}  // namespace kdx::sim
