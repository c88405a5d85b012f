#pragma once

#include <string>
#include <vector>

#include "support/sim_process.h"

namespace kdx::bench {

// One console line against one ExecuteCommand exchange of the same Card
// Status command, both over QtSerialLine, in milliseconds per exchange.
struct ConsoleLineFigures {
  std::vector<double> consoleMs;
  std::vector<double> executeMs;
};
bool MeasureConsoleLine(test::SimProcess& sim, int rounds, int perRound, ConsoleLineFigures& out,
                        std::string& error);

// The console window's lists over a long run: a one-line script repeated
// `lines` times through the console transaction against the in-process
// simulator (the line costs next to nothing), the window as the view.
struct ConsoleListFigures {
  int lines = 0;
  // Microseconds per line over the first and the last `blockLines` lines
  // (the median of their blocks).
  double firstBlockUs = 0;
  double lastBlockUs = 0;
  int blockLines = 0;
  // Resident memory (KB) after each checkpoint of lines.
  std::vector<std::pair<int, long>> residentKb;
};
ConsoleListFigures MeasureConsoleLists(int lines, int blockLines);

// kdx846-run with `lines` Card Status lines against the floor loop of the
// same exchanges, each run `rounds` times; wall milliseconds per run.
struct RunnerFigures {
  std::vector<double> runnerMs;
  std::vector<double> floorMs;
  int lines = 0;
};
bool MeasureRunner(test::SimProcess& sim, const std::string& runner, int lines, int rounds,
                   RunnerFigures& out, std::string& error);

}  // namespace kdx::bench
