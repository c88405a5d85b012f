#pragma once

#include <string>
#include <vector>

#include "link/bytes.h"
#include "support/sim_process.h"

namespace kdx::bench {

// One Card Status exchange timed both ways, in milliseconds per exchange.
struct ExchangeFigures {
  std::vector<double> toolMs;   // ExecuteCommand over QtSerialLine
  std::vector<double> floorMs;  // plain POSIX read/write/poll on the same terminal
  // The monitor text of one exchange, as the pieces ExecuteCommand appended
  // (the operation's closing CR LF included).
  std::vector<std::string> monitorPieces;
};

// Runs `rounds` rounds of `perRound` exchanges each way against the simulator
// serving on `sim`, alternating which way goes first. Every exchange must
// succeed and both ways must get the same reply; otherwise returns false and
// says why in `error`.
bool MeasureExchanges(test::SimProcess& sim, int rounds, int perRound, ExchangeFigures& out,
                      std::string& error);

// One exchange with a device that never answers, through ExecuteCommand over
// QtSerialLine: the wall time it took and the CPU time the process used.
struct SilentFigures {
  double wallMs = 0;
  double cpuMs = 0;
};

// Switches the simulator to the silent fault for one exchange and back.
bool MeasureSilentWait(test::SimProcess& sim, SilentFigures& out, std::string& error);

// An idle connected tool (QtSerialLine open, the event loop running, no
// command) while the simulator floods the line with noise.
struct FloodFigures {
  int bytesPerSecond = 0;
  int seconds = 0;
  long residentBeforeKb = 0;
  long residentAfterKb = 0;
  long residentPeakKb = 0;
  long long written = 0;  // bytes the simulator got onto the line
  long long dropped = 0;  // bytes it dropped, the terminal being full
  double cpuMs = 0;
  bool exchangeAfter = false;  // a Card Status exchange worked after the flood
};

// Floods for `seconds` at `bytesPerSecond` and measures the tool's memory.
bool MeasureIdleFlood(test::SimProcess& sim, int bytesPerSecond, int seconds, FloodFigures& out,
                      std::string& error);

// The Card Status command: code '1', parameter '0', no data, address 0.
Bytes CardStatusCommand();

// `count` Card Status exchanges with plain POSIX write/poll/read on the
// simulator's terminal: the floor. Wall time of the whole loop in ms.
bool FloorExchanges(test::SimProcess& sim, int count, double& wallMs, std::string& error);

}  // namespace kdx::bench
