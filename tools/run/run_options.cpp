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
  for (const char* known :
       {"--port", "--baud", "--address", "--repeat", "--format", "--junit", "--results"}) {
    if (name == known) return true;
  }
  return false;
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
    if (IsWrongPortName(value)) {
      error =
          "--port " + value + ": no such port (COM1 to COM16); a file of that name is ./" + value;
      return false;
    }
    out.port = value;
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
  } else if (name == "--junit" || name == "--results") {
    if (value.empty()) {
      error = name + " needs a file name";
      return false;
    }
    (name == "--junit" ? out.junit : out.results) = value;
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
  if (out.port.empty()) {
    error = "no port given (--port COMn or a device path)";
    return false;
  }
  return true;
}

}  // namespace kdx::run
