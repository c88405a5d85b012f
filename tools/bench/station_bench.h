#pragma once

#include <string>
#include <vector>

namespace kdx::bench {

// kdx846-run driving 16 simulated units at once, each kdx846-sim its own
// process on its own pseudo-terminal, every run `lines` lines of Card
// Status per unit with its records (JSON lines) to /dev/null. Wall
// milliseconds per run, `rounds` runs each, alternating which goes first.
struct StationFigures {
  int units = 0;
  int lines = 0;
  // (a) units that answer after 5 ms: one runner with every unit against one
  // runner with one unit.
  std::vector<double> slowStationMs, slowOneUnitMs;
  // (b) units that answer at once: one runner with every unit against one
  // runner process per unit, all at the same time.
  std::vector<double> fastStationMs, fastProcessesMs;
  // (c) the same station run with --results against without it; empty when
  // the runner wrote no results database.
  std::vector<double> resultsMs, plainMs;
  std::string resultsNote;
  // (c) again, on one results file that grows: with kdx846-results following
  // that file against without it; empty without a viewer.
  std::vector<double> watchedMs, unwatchedMs;
  // (d) resident memory (KB) of a burn-in of every unit, sampled each second.
  int burnInSeconds = 0;
  std::vector<long> residentKb;
};

// `viewer` is kdx846-results, or empty to leave out the figures with it.
bool MeasureStation(const std::string& runner, const std::string& viewer, int units, int lines,
                    int rounds, int burnInSeconds, StationFigures& out, std::string& error);

}  // namespace kdx::bench
