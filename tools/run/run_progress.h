#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "run_record.h"

namespace kdx::run {

// One status line per unit on a terminal, redrawn in place at most four
// times a second: the pass under way, exchanges, negative replies, exchanges
// without an answer, link failures, elapsed and remaining time. Other lines
// for the terminal go through print(), above the status lines; at the end of
// the run the status lines are taken away.
class ProgressSink final : public RecordSink {
 public:
  // `passes`: the passes each unit runs at most; `durationMs`: the run's
  // time limit, if any.
  ProgressSink(std::FILE* out, Clock& clock, std::int32_t passes,
               std::optional<std::int64_t> durationMs);

  void runStarted(const RunInfo& info) override;
  void unitStarted(const UnitIdentity& identity) override;
  void exchange(const ExchangeRow& row) override;
  void passEnded(int unit, int pass) override;
  void unitEnded(const UnitEnd& end) override;
  void runEnded(const LocalTime&, int) override { erase(); }

  // Redraws the status lines if the last drawing is a quarter second old.
  void refresh();
  // Writes `line` (ended by a line feed) above the status lines.
  void print(const std::string& line);

  // The status line of one unit, as drawn (before it is cut to the
  // terminal's width).
  struct Unit {
    std::string port;
    std::string serial;
    int passesDone = 0;
    std::int64_t exchanges = 0;
    std::int64_t negative = 0;
    std::int64_t noAnswer = 0;
    std::int64_t linkFailures = 0;
    std::optional<std::string> ended;  // how it ended
  };
  static std::string StatusLine(const Unit& unit, std::int32_t passes, std::int64_t elapsedMs,
                                std::optional<std::int64_t> durationMs);

 private:
  static constexpr std::int64_t kIntervalMs = 250;
  void erase();
  void draw();

  std::FILE* out_;
  Clock& clock_;
  std::int32_t passes_;
  std::optional<std::int64_t> durationMs_;
  std::int64_t startedMs_ = 0;
  std::int64_t drawnMs_ = 0;
  int drawnLines_ = 0;
  std::vector<Unit> units_;
};

}  // namespace kdx::run
