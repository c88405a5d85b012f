#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kdx::sim {

// What kdx846-sim was asked to do on its command line.
struct ToolOptions {
  std::string linkPath;
  int address = 0;
  std::optional<int> baud;  // answer only at this rate; any rate when absent
  // Initial state as control lines ("stacker 5", "fault silent", ...), applied
  // in order before serving.
  std::vector<std::string> controls;
  // --replay FILE: play this recorded session instead of the model.
  std::string replayPath;
  bool replayTiming = true;     // --replay-timing on|off
  bool replayFallback = false;  // --replay-fallback model: the model answers unrecorded frames
  bool help = false;
  bool version = false;
};

// Parses argv; on a mistake returns nothing and says why in `error`. --help
// and --version stop the parsing: nothing else is read or required.
std::optional<ToolOptions> ParseToolOptions(const std::vector<std::string>& args,
                                            std::string& error);

}  // namespace kdx::sim
