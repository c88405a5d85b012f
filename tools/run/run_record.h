#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/console_transaction.h"
#include "link/session_file.h"
#include "run_output.h"

namespace kdx::run {

// What a run knows of one unit before its first script line: where it is,
// and what it said about itself (empty when it would not say, or when the
// identity reads were skipped).
struct UnitIdentity {
  int unit = 0;               // 1, 2, ... in the order the ports were given
  std::string port;           // as given: "COM3" or a device path
  std::string path;           // the device path it was opened as
  std::string serial;         // the answer to A2h "0"
  std::string configuration;  // the answer to A3h "0", as the device code reads it
  // The identity reads' exchanges, for a session file (--record).
  std::vector<SessionExchange> reads{};
};

// The run as a whole, known before any unit starts.
struct RunInfo {
  std::string scriptPath;
  std::string scriptText;              // as read, before any line is sent
  std::string scriptHash;              // SHA-256 of scriptText, lower-case hex
  std::vector<std::string> arguments;  // the command line after the program name
  LocalTime started;
  std::vector<UnitIdentity> units;  // identities are filled in as each unit is identified
};

// One finished exchange of one unit: the record every sink reads. Made by the
// unit's worker when the exchange ends; the main thread hands it to every
// sink in turn, so no sink sees two records at once.
struct ExchangeRow {
  int unit = 0;                 // UnitIdentity::unit
  int pass = 1;                 // from 1; for a cancel, the pass of the command the EOT replaced
  int line = 1;                 // from 1, among the script's non-empty lines (as in the JSON lines)
  ExchangeRecord record;        // the console's record: time, bytes sent, reply, outcome
  ReplyVerdict verdict;         // the runner's kind and reason
  std::int64_t durationMs = 0;  // from the first byte written to the exchange's end
  // When each part crossed the line, timed from the frame's writing: the
  // device's bytes and the host's ACK or EOT (for --record).
  std::vector<TimedBytes> arrived;
  std::vector<TimedBytes> hostSent;
  // In the text format only: the console's traffic and history lines of the
  // exchange with its "Result:" line, each ended by a line feed, as a
  // single-unit run prints them (UTF-8).
  std::string text;
};

// How a unit's run ended.
struct UnitEnd {
  int unit = 0;
  int status = 0;                     // the unit's own exit status, ranked as the run's
  int passesFinished = 0;             // passes whose every line ran
  std::optional<std::string> reason;  // why it ended early: a lost port, --stop-on-failure...
};

// A reader of records: text, JSON lines, JUnit, the results database, the
// live progress line and the summary are each one. The main thread calls
// them in this order: runStarted, then for each unit unitStarted, its rows
// and passEnded after each whole pass, unitEnded; runEnded last. Whenever it
// has handed over every record queued so far, before it waits again, it
// calls flush(): a sink that gathers writes makes them then, so that every
// pass ended before a flush is kept by it (a database commits the passes of
// every unit that ended since the last flush in one transaction). A sink that
// cannot go on (a full disk) says why in failure(); the run then ends with
// status 2, keeping what the sink had already committed.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void runStarted(const RunInfo&) {}
  virtual void unitStarted(const UnitIdentity&) {}
  virtual void exchange(const ExchangeRow& row) = 0;
  virtual void passEnded(int /*unit*/, int /*pass*/) {}
  virtual void unitEnded(const UnitEnd&) {}
  virtual void runEnded(const LocalTime& /*ended*/, int /*status*/) {}
  virtual void flush() {}
  virtual std::optional<std::string> failure() const { return std::nullopt; }
  // A sink that checks the run against a recording (--expect) says whether
  // it found a difference; the run's status is then at least 1.
  virtual bool differs() const { return false; }
  // Where a sink that reports on standard error prints its lines (above the
  // status lines while they are shown); the run sets it before it starts.
  virtual void printWith(std::function<void(const std::string&)>) {}
};

}  // namespace kdx::run
