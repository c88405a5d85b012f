#include "run_options.h"

#include "console/command_line.h"
#include "link/frame.h"

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

}  // namespace

bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& out, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      out.help = true;
      return true;
    }
    if (arg == "-V" || arg == "--version") {
      out.version = true;
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
    if (i + 1 >= args.size()) {
      error = arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    if (arg == "--port") {
      out.port = value;
    } else if (arg == "--baud") {
      if (!ParseBaud(value, out.baud)) {
        error = "--baud " + value + ": not a rate (1200 to 230400 bits/s)";
        return false;
      }
    } else if (arg == "--address") {
      if (!ParseAddress(value)) {
        error = "--address " + value + ": not a hexadecimal number from 0 to FF";
        return false;
      }
      out.address = value;
    } else if (arg == "--repeat") {
      const auto count = ParseRepeatCount(value);
      if (!count || *count < 1) {
        error = "--repeat " + value + ": The Value should > 0";
        return false;
      }
      out.repeat = value;
    } else if (arg == "--format") {
      if (value == "text") {
        out.format = Format::Text;
      } else if (value == "jsonl") {
        out.format = Format::JsonLines;
      } else {
        error = "--format " + value + ": text or jsonl";
        return false;
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (out.script.empty()) {
    error = "no script given";
    return false;
  }
  if (out.port.empty()) {
    error = "no port given (--port COMn or a device path)";
    return false;
  }
  return true;
}

}  // namespace kdx::run
