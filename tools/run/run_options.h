#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kdx::run {

enum class Format { Text, JsonLines };

// At most this many units in one run.
inline constexpr std::size_t kMaxUnits = 16;

struct RunOptions {
  std::string script;              // path of the script file
  std::vector<std::string> ports;  // "COMn" or a device path, one per unit, in order
  int baud = 9600;
  std::string address = "0";  // hexadecimal, 0 to FF
  std::string repeat = "1";
  bool repeatGiven = false;  // --repeat was on the command line
  // --duration: no pass starts once this many milliseconds have passed.
  std::optional<std::int64_t> durationMs;
  bool stopOnFailure = false;       // a unit ends at its first exchange that is not positive
  bool identify = true;             // serial number and configuration read before the script
  std::string junitPath;            // --junit FILE: a JUnit XML report; empty for none
  std::string resultsPath;          // --results FILE: the SQLite results database; empty for none
  std::string recordPath;           // --record FILE: a session file (one per unit); empty for none
  std::string expectPath;           // --expect FILE: the recording to compare with; empty for none
  bool expectIgnoreData = false;    // --expect-ignore data
  bool expectIgnoreStatus = false;  // --expect-ignore status
  Format format = Format::Text;
  bool help = false;
  bool version = false;
};

// A station run: several units, or one with any of the options that came
// with them (--duration, --stop-on-failure, --no-identify, --junit,
// --results). Its units are identified and named on every record, and a
// summary follows. Otherwise the run is the single-unit run as it always
// was: no identity reads, records as before, nothing on standard error
// when all goes well.
bool IsStationRun(const RunOptions& options);

// Exit statuses a CI job can act on.
inline constexpr int kExitPositive = 0;  // every exchange got a positive reply
inline constexpr int kExitNegative = 1;  // a reply was negative (or neither "P" nor "N")
inline constexpr int kExitLink = 2;      // the port or the device failed
inline constexpr int kExitBadInput = 3;  // bad arguments or a bad script
inline constexpr int kExitOutput = 4;    // standard output could not be written
// Cancelled by Ctrl-C: EOT sent, run ended. A stop signal ends with 128 and
// its number: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP.
inline constexpr int kExitCancelled = 130;

// Reads the command line; false with the reason in `error`. --help and
// --version stop the reading: nothing else is read or required.
bool ParseRunOptions(const std::vector<std::string>& args, RunOptions& out, std::string& error);

// "90s", "30m", "8h" or a sum of such parts ("1h30m"), in milliseconds: more
// than 0 and at most a year. Nothing for anything else.
std::optional<std::int64_t> ParseDuration(std::string_view text);

}  // namespace kdx::run
