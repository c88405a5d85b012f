#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/duration_counts.h"
#include "run_record.h"

namespace kdx::run {

// What the summary counts of one unit's exchanges. An EOT sent instead of
// a command (a cancel) is not an exchange.
class UnitTally {
 public:
  struct Failure {
    int pass = 0;
    int line = 0;
    LocalTime time;
    ReplyKind kind = ReplyKind::Failed;
  };

  void add(const ExchangeRow& row);
  void passEnded() { ++passes; }

  // Nearest-rank percentile (0 to 100) of the exchange times in whole
  // milliseconds; nothing before the first exchange.
  std::optional<std::int64_t> percentileMs(int percent) const {
    return durations_.percentileMs(percent);
  }

  std::int64_t passes = 0;
  std::int64_t exchanges = 0;
  std::int64_t positive = 0;
  std::int64_t negative = 0;      // replies: negative, other, bad-check, wrong-reply, short-reply
  std::int64_t noAnswer = 0;      // no-ack, no-head
  std::int64_t linkFailures = 0;  // nak, not-ack, failed, port-lost
  // The negative replies by their error code ("04"), and the others by
  // their kind ("bad-check").
  std::map<std::string, std::int64_t> negatives;
  std::optional<Failure> firstFailure;

 private:
  DurationCounts durations_;
};

// One unit as the summary shows it.
struct UnitSummary {
  UnitIdentity identity;
  UnitTally tally;
  std::optional<UnitEnd> end;
};

// The summary table, a row per unit with a heading, then a line per unit
// with negative replies giving each code with the reply catalogue's text.
// Each line ends with a line feed.
std::string SummaryText(const std::vector<UnitSummary>& units);

// Counts every unit's records and prints the summary on `out` when the run
// ends.
class SummarySink final : public RecordSink {
 public:
  SummarySink(std::FILE* out, Clock& clock) : out_(out), clock_(clock) {}
  void runStarted(const RunInfo& info) override;
  void unitStarted(const UnitIdentity& identity) override;
  void exchange(const ExchangeRow& row) override { at(row.unit).tally.add(row); }
  void passEnded(int unit, int) override { at(unit).tally.passEnded(); }
  void unitEnded(const UnitEnd& end) override { at(end.unit).end = end; }
  void runEnded(const LocalTime& ended, int status) override;

  const std::vector<UnitSummary>& units() const { return units_; }

 private:
  UnitSummary& at(int unit) { return units_.at(static_cast<std::size_t>(unit - 1)); }
  std::FILE* out_;
  Clock& clock_;
  std::int64_t startedMs_ = 0;
  std::vector<UnitSummary> units_;
};

}  // namespace kdx::run
