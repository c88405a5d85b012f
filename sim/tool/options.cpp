#include "tool/options.h"

#include <charconv>

namespace kdx::sim {

namespace {

// Options that are control lines under another name: --stacker 5 is the
// control "stacker 5".
constexpr const char* kControlOptions[] = {"stacker", "bin",     "card",  "sams",
                                           "fault",   "latency", "place", "serial"};

bool IsControlOption(const std::string& name) {
  for (const char* o : kControlOptions) {
    if (name == o) return true;
  }
  return false;
}

std::optional<int> ParseNumber(const std::string& text, int base) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value < 0) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<ToolOptions> ParseToolOptions(const std::vector<std::string>& args,
                                            std::string& error) {
  ToolOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return options;
    }
    if (arg == "--version" || arg == "-V") {
      options.version = true;
      return options;
    }
    if (arg.rfind("--", 0) != 0 || i + 1 >= args.size()) {
      error = "unexpected argument '" + arg + "'";
      return std::nullopt;
    }
    const std::string name = arg.substr(2);
    const std::string& value = args[++i];
    if (name == "link") {
      options.linkPath = value;
    } else if (name == "address") {
      const auto a = ParseNumber(value, 16);
      if (!a || *a > 0xFF) {
        error = "--address expects a hex number from 0 to FF";
        return std::nullopt;
      }
      options.address = *a;
    } else if (name == "baud") {
      const auto b = ParseNumber(value, 10);
      if (!b || *b == 0) {
        error = "--baud expects a rate such as 9600";
        return std::nullopt;
      }
      options.baud = *b;
    } else if (name == "replay") {
      if (value.empty()) {
        error = "--replay expects a session file";
        return std::nullopt;
      }
      options.replayPath = value;
    } else if (name == "replay-timing") {
      if (value != "on" && value != "off") {
        error = "--replay-timing expects on or off";
        return std::nullopt;
      }
      options.replayTiming = value == "on";
    } else if (name == "replay-fallback") {
      if (value != "model" && value != "silence") {
        error = "--replay-fallback expects model or silence";
        return std::nullopt;
      }
      options.replayFallback = value == "model";
    } else if (IsControlOption(name)) {
      options.controls.push_back(name + " " + value);
    } else {
      error = "unknown option '" + arg + "'";
      return std::nullopt;
    }
  }
  if (options.replayPath.empty() && (!options.replayTiming || options.replayFallback)) {
    error = "--replay-timing and --replay-fallback go with --replay FILE";
    return std::nullopt;
  }
  if (options.linkPath.empty()) {
    error = "--link PATH is required";
    return std::nullopt;
  }
  return options;
}

}  // namespace kdx::sim
