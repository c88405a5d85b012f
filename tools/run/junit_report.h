#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run_record.h"

namespace kdx::run {

// UTF-8 text as XML 1.0 character data (or, with `attribute`, as the value
// of a double-quoted attribute): markup characters escaped, and what XML 1.0
// cannot hold or a reader would change replaced visibly by its code in
// brackets, "[01h]" for a control character and "[FFh]" for a byte that is
// not UTF-8.
std::string XmlText(std::string_view utf8, bool attribute = false);

// The run as a JUnit XML file: one test suite per unit, named by its serial
// number and port, one test case per script line and pass. A positive reply
// passes; a negative reply is a failure with the reply catalogue's text for
// its code; a reply that is not to be trusted or is neither positive nor
// negative is a failure with its reason; no answer, a failed or lost port is
// an error; a command that a cancel replaced by EOT never ran and is skipped.
//
// The file is always whole: each version is written beside it and renamed
// over it. It is written at the start (saying that the run has not ended, so
// that no older file stands for this run), again after a pass once enough
// time has gone by, and last when the run ends. A runner that is killed
// leaves the last version, whose unfinished units are errors.
class JUnitReport final : public RecordSink {
 public:
  // A version after a pass is written no sooner than `checkpointSeconds`
  // after the last one, nor sooner than twenty times as long as the last one
  // took; zero writes after every pass.
  explicit JUnitReport(std::string path, double checkpointSeconds = 5.0);

  // Writes the first version; the reason when it cannot (the run is then
  // refused before anything is sent).
  std::optional<std::string> start();

  void runStarted(const RunInfo& info) override;
  void unitStarted(const UnitIdentity& unit) override;
  void exchange(const ExchangeRow& row) override;
  void passEnded(int unit, int pass) override;
  void unitEnded(const UnitEnd& end) override;
  void runEnded(const LocalTime& ended, int status) override;
  std::optional<std::string> failure() const override { return failure_; }

 private:
  struct Suite {
    UnitIdentity identity;
    std::string cases;  // the <testcase> elements so far
    int tests = 0;
    int failures = 0;
    int errors = 0;
    int skipped = 0;
    std::int64_t timeMs = 0;
    bool ended = false;
    std::string endReason;
  };

  Suite& suite(int unit);
  std::string render() const;
  void write();

  std::string path_;
  std::chrono::steady_clock::duration checkpoint_;
  std::chrono::steady_clock::time_point lastWrite_;
  std::chrono::steady_clock::duration lastWriteTook_{};
  std::chrono::steady_clock::time_point started_;
  RunInfo info_;
  std::vector<std::string> lines_;  // the script's non-empty lines, as UTF-8
  std::map<int, Suite> suites_;
  bool runEnded_ = false;
  std::optional<std::string> failure_;
};

}  // namespace kdx::run
