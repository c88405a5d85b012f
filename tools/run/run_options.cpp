#include "run_options.h"

#include <cctype>
#include <optional>

#include "console/command_line.h"
#include "link/frame.h"
#include "link/port_setup.h"

namespace kdx::run {

namespace {

constexpr int kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};

bool ParseBaud(const std::string& text, int& out) {
  for (int rate : kRates) {
    if (text == std::to_string(rate)) {
      out = rate;
      return true;
    }
  }
  return false;
}

bool IsValueOption(const std::string& name) {
  for (const char* known : {"--port", "--baud", "--address", "--repeat", "--format", "--duration",
                            "--junit", "--results", "--record", "--expect", "--expect-ignore"}) {
    if (name == known) return true;
  }
  return false;
}

// Options that take no value.
bool IsFlagOption(const std::string& name) {
  return name == "--stop-on-failure" || name == "--no-identify";
}

// "COM" and digits (in any case) that are not COM1 to COM16: a slip, not a
// file to open. A file of that name is still reached as "./COM17".
bool IsWrongPortName(const std::string& text) {
  if (text.size() < 3 || ParsePortText(text)) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (i < 3 ? std::toupper(c) != "COM"[i] : !std::isdigit(c)) return false;
  }
  return true;
}

// Takes the value of option `name`; false with the reason in `error`.
bool TakeValue(const std::string& name, const std::string& value, RunOptions& out,
               std::string& error) {
  if (name == "--port") {
    if (value.empty()) {
      error = "no port given (--port COMn or a device path)";
      return false;
    }
    if (IsWrongPortName(value)) {
      error =
          "--port " + value + ": no such port (COM1 to COM16); a file of that name is ./" + value;
      return false;
    }
    for (const std::string& port : out.ports) {
      if (port == value) {
        error = "--port " + value + ": given twice";
        return false;
      }
    }
    if (out.ports.size() == kMaxUnits) {
      error = "--port " + value + ": at most " + std::to_string(kMaxUnits) + " units";
      return false;
    }
    out.ports.push_back(value);
  } else if (name == "--baud") {
    if (!ParseBaud(value, out.baud)) {
      error = "--baud " + value + ": not a rate (1200 to 230400 bits/s)";
      return false;
    }
  } else if (name == "--address") {
    if (!ParseAddress(value)) {
      error = "--address " + value + ": not a hexadecimal number from 0 to FF";
      return false;
    }
    out.address = value;
  } else if (name == "--repeat") {
    const auto count = ParseRepeatCount(value);
    if (!count || *count < 1) {
      error = "--repeat " + value + ": The Value should > 0";
      return false;
    }
    out.repeat = value;
    out.repeatGiven = true;
  } else if (name == "--duration") {
    out.durationMs = ParseDuration(value);
    if (!out.durationMs) {
      error = "--duration " + value + ": a time such as 90s, 30m or 8h";
      return false;
    }
  } else if (name == "--junit" || name == "--results") {
    if (value.empty()) {
      error = name + ": no file name";
      return false;
    }
    (name == "--junit" ? out.junitPath : out.resultsPath) = value;
  } else if (name == "--record" || name == "--expect") {
    if (value.empty()) {
      error = name + ": no file name";
      return false;
    }
    (name == "--record" ? out.recordPath : out.expectPath) = value;
  } else if (name == "--expect-ignore") {
    if (value != "data" && value != "status") {
      error = "--expect-ignore " + value + ": data or status";
      return false;
    }
    (value == "data" ? out.expectIgnoreData : out.expectIgnoreStatus) = true;
  } else if (value == "text" || value == "jsonl") {  // --format
    out.format = value == "text" ? Format::Text : Format::JsonLines;
  } else {
    error = "--format " + value + ": text or jsonl";
    return false;
  }
  return true;
}

}  // namespace

bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& out, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    // "--name=value" as GNU tools take it: the value is everything after
    // the first "=", even when empty.
    std::optional<std::string> attached;
    if (arg.rfind("--", 0) == 0) {
      if (const auto equals = arg.find('='); equals != std::string::npos) {
        attached = arg.substr(equals + 1);
        arg.resize(equals);
      }
    }
    if (arg == "-h" || arg == "--help" || arg == "-V" || arg == "--version") {
      if (attached) {
        error = arg + " takes no value";
        return false;
      }
      (arg == "-h" || arg == "--help" ? out.help : out.version) = true;
      return true;
    }
    if (arg.rfind("--", 0) != 0) {
      if (!out.script.empty()) {
        error = "more than one script: " + out.script + ", " + arg;
        return false;
      }
      out.script = arg;
      continue;
    }
    if (IsFlagOption(arg)) {
      if (attached) {
        error = arg + " takes no value";
        return false;
      }
      if (arg == "--stop-on-failure") out.stopOnFailure = true;
      if (arg == "--no-identify") out.identify = false;
      continue;
    }
    if (!IsValueOption(arg)) {
      error = "unknown option " + arg;
      return false;
    }
    if (!attached && i + 1 >= args.size()) {
      error = arg + " needs a value";
      return false;
    }
    const std::string value = attached ? *attached : args[++i];
    if (!TakeValue(arg, value, out, error)) return false;
  }
  if (out.script.empty()) {
    error = "no script given";
    return false;
  }
  if (out.ports.empty()) {
    error = "no port given (--port COMn or a device path)";
    return false;
  }
  if ((out.expectIgnoreData || out.expectIgnoreStatus) && out.expectPath.empty()) {
    error = "--expect-ignore goes with --expect FILE";
    return false;
  }
  return true;
}

bool IsStationRun(const RunOptions& options) {
  return options.ports.size() > 1 || options.durationMs || options.stopOnFailure ||
         !options.identify || !options.junitPath.empty() || !options.resultsPath.empty();
}

std::optional<std::int64_t> ParseDuration(std::string_view text) {
  constexpr std::int64_t kYearMs = 366LL * 24 * 3600 * 1000;
  std::int64_t total = 0;
  std::size_t i = 0;
  if (text.empty()) return std::nullopt;
  while (i < text.size()) {
    std::int64_t number = 0;
    const std::size_t digits = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      number = number * 10 + (text[i] - '0');
      if (number > kYearMs) return std::nullopt;
    }
    if (i == digits || i == text.size()) return std::nullopt;
    std::int64_t unit = 0;
    switch (text[i++]) {
      case 's':
        unit = 1000;
        break;
      case 'm':
        unit = 60 * 1000;
        break;
      case 'h':
        unit = 3600 * 1000;
        break;
      default:
        return std::nullopt;
    }
    if (number > kYearMs / unit) return std::nullopt;
    total += number * unit;
    if (total > kYearMs) return std::nullopt;
  }
  if (total == 0) return std::nullopt;
  return total;
}

}  // namespace kdx::run
