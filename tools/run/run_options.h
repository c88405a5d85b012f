#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kdx::run {

enum class Format { Text, JsonLines };

struct RunOptions {
  std::string script;  // path of the script file
  std::string port;    // "COMn" or a device path
  int baud = 9600;
  std::string address = "0";  // hexadecimal, 0 to FF
  std::string repeat = "1";
  Format format = Format::Text;
  std::string junit;    // --junit FILE: a JUnit XML report; empty for none
  std::string results;  // --results FILE: the SQLite results database; empty for none
  bool help = false;
  bool version = false;
};

// Exit statuses a CI job can act on.
inline constexpr int kExitPositive = 0;     // every exchange got a positive reply
inline constexpr int kExitNegative = 1;     // a reply was negative (or neither "P" nor "N")
inline constexpr int kExitLink = 2;         // the port or the device failed
inline constexpr int kExitBadInput = 3;     // bad arguments or a bad script
inline constexpr int kExitOutput = 4;       // standard output could not be written
// Cancelled by Ctrl-C: EOT sent, run ended. A stop signal ends with 128 and
// its number: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP.
inline constexpr int kExitCancelled = 130;

// Reads the command line; false with the reason in `error`. --help and
// --version stop the reading: nothing else is read or required.
bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& out, std::string& error);

}  // namespace kdx::run
