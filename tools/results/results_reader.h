#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/duration_counts.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kdx::results {

// A local time stamp as the runner writes it ("2026-12-09T01:23:45.678"),
// in milliseconds from 1970-01-01T00:00:00.000 of the same clock; nothing for
// any other text. Seconds and milliseconds may be left out.
std::optional<std::int64_t> ParseLocalMs(std::string_view text);

// One run of the database, as the run list shows it.
struct RunRow {
  std::int64_t id = 0;
  std::string started;
  std::optional<std::string> ended;  // nothing while it runs, or when it was killed
  std::optional<int> status;
  std::string scriptPath;
  std::string scriptSha256;
  int units = 0;
  bool operator==(const RunRow&) const = default;
};

// What a unit's row says of it.
struct UnitRow {
  std::int64_t id = 0;
  int number = 0;
  std::string port;
  std::string path;
  std::optional<std::string> serial;
  std::optional<int> status;  // nothing until it ends
  std::optional<std::int64_t> passesFinished;
  std::optional<std::string> endReason;
  bool operator==(const UnitRow&) const = default;
};

// One exchange on the run's time line, for the charts.
struct ExchangePoint {
  std::int64_t elapsedMs = 0;  // from the run's start to the exchange's
  std::int64_t durationMs = 0;
  bool failed = false;  // not positive
};

// What is counted of one unit's exchanges, the way kdx846-run's summary
// counts them: an EOT sent instead of a command (cancelled, stopped) is not
// an exchange; "Negative" holds the negative replies by their code and the
// untrusted ones (other, bad-check, wrong-reply, short-reply) by their kind;
// no-ack and no-head are no answer; every other kind is a link failure.
class UnitStats {
 public:
  struct Failure {
    std::int64_t pass = 0;
    std::int64_t line = 0;
    std::string started;
    std::string outcome;
  };

  void add(std::int64_t pass, std::int64_t line, const std::string& started,
           const std::string& outcome, const std::string& code, std::int64_t durationMs,
           std::int64_t elapsedMs);

  // Nearest-rank percentile (0 to 100) of the exchange times; nothing
  // before the first exchange.
  std::optional<std::int64_t> percentileMs(int percent) const {
    return durations_.percentileMs(percent);
  }

  std::int64_t exchanges = 0;
  std::int64_t positive = 0;
  std::int64_t negative = 0;
  std::int64_t noAnswer = 0;
  std::int64_t linkFailures = 0;
  std::int64_t lastPass = 0;  // the highest pass seen
  std::map<std::string, std::int64_t> negatives;
  std::optional<Failure> firstFailure;
  std::vector<ExchangePoint> points;

 private:
  DurationCounts durations_;
};

struct UnitView {
  UnitRow unit;
  UnitStats stats;
  // Passes whose every line ran: as the unit's end recorded it, else the
  // passes written so far (the runner writes whole passes only).
  std::int64_t passes() const;
  // A unit failed when one of its exchanges was not positive, or it ended
  // with a failing status (a port that could not be opened) other than a
  // stop signal's.
  bool failed() const;
};

// One run with its units and what their exchanges add up to; `update`
// adds what was written since.
struct RunView {
  RunRow run;
  std::vector<UnitView> units;  // by unit number
  std::int64_t lastExchangeId = 0;
  std::int64_t lastElapsedMs = 0;  // of the newest exchange
  // Counts the reads that found something new (a row that changed, an
  // exchange more), so that a view redraws only then.
  std::uint64_t revision = 0;
};

// One run of one serial number, for its history.
struct SerialRun {
  std::int64_t runId = 0;
  std::string started;
  std::int64_t passes = 0;        // passes with at least one exchange
  std::int64_t passesPassed = 0;  // of them, those whose every exchange was positive
  double passRate() const { return passes ? 100.0 * passesPassed / passes : 0.0; }
};

// A results database written by kdx846-run --results, read and nothing
// else: the connection is read-only, each read is one short transaction
// (the runner goes on writing meanwhile, the database being in
// write-ahead-log mode), and a database locked by another program's writing
// gives up after a short wait instead of hanging.
class ResultsReader {
 public:
  // The schema version this reader knows; a newer one is refused.
  static constexpr int kSchemaVersion = 1;
  static constexpr int kBusyTimeoutMs = 500;
  // The most exchanges one read transaction takes.
  static constexpr int kExchangesPerRead = 20000;

  // Opens `path`. Nothing, with the reason in `error`, when it is not a
  // results database that this reader can read. A file with no tables yet
  // (empty, or a run not started) opens, with no runs.
  static std::unique_ptr<ResultsReader> Open(const std::string& path, std::string& error);
  ~ResultsReader();
  ResultsReader(const ResultsReader&) = delete;
  ResultsReader& operator=(const ResultsReader&) = delete;

  const std::string& path() const { return path_; }

  // Every run, oldest first.
  bool runs(std::vector<RunRow>& out, std::string& error);
  // The serial numbers that have runs, sorted.
  bool serials(std::vector<std::string>& out, std::string& error);
  // Reads run `runId` from the start into `view`.
  bool load(std::int64_t runId, RunView& view, std::string& error);
  // Adds to `view` what was written since it was read: the run's and its
  // units' rows again, and the exchanges after its last one.
  bool update(RunView& view, std::string& error);
  // Every run of `serial`, oldest first.
  bool serialHistory(const std::string& serial, std::vector<SerialRun>& out, std::string& error);
  // Whether another connection has committed since the last call (the
  // first call says yes).
  bool changed();

 private:
  ResultsReader(std::string path, sqlite3* db) : path_(std::move(path)), db_(db) {}
  bool hasTables();
  bool begin(std::string& error);
  void end();
  std::string reason();

  std::string path_;
  sqlite3* db_;
  bool empty_ = false;  // no tables when last looked
  std::optional<std::int64_t> dataVersion_;
};

}  // namespace kdx::results
