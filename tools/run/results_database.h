#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "results_schema.h"
#include "run_record.h"

struct sqlite3_stmt;

namespace kdx::run {

// Every run appended to a SQLite database: the run, its units and each of
// their exchanges. A unit's rows are kept until its pass ends; at the next
// flush the passes every unit ended since the last one are written in one
// short transaction, so a reader waits for nothing, a runner that is killed
// leaves every pass flushed, and units that finish passes quickly do not pay
// a commit each. The database is in
// write-ahead-log mode with synchronous=NORMAL: a commit is not synced to the
// disk, which the log's checkpoints do; a killed process loses nothing
// committed, a power cut may lose the last commits but never damages the
// file.
class ResultsDatabase final : public RecordSink {
 public:
  // Opens `path`, creating it if missing, and makes sure a run can be
  // written: it is a SQLite file of this schema or an older one, not
  // locked by another program's writing beyond `busyTimeoutMs`, not
  // read-only, and takes a write. Nothing, with the reason in `error`, when
  // it cannot.
  static std::unique_ptr<ResultsDatabase> Open(const std::string& path, int busyTimeoutMs,
                                               std::string& error);
  ~ResultsDatabase() override;
  ResultsDatabase(const ResultsDatabase&) = delete;
  ResultsDatabase& operator=(const ResultsDatabase&) = delete;

  void runStarted(const RunInfo& info) override;
  void unitStarted(const UnitIdentity& unit) override;
  void exchange(const ExchangeRow& row) override;
  void passEnded(int unit, int pass) override;
  void flush() override;
  void unitEnded(const UnitEnd& end) override;
  void runEnded(const LocalTime& ended, int status) override;
  std::optional<std::string> failure() const override { return failure_; }

 private:
  // One exchange as its row will hold it.
  struct Pending {
    int pass = 0;
    int line = 0;
    std::string started;
    Bytes sent;
    Bytes received;
    const char* outcome = "";
    std::string reason;
    std::string code;
    std::string replyStatus;
    std::int64_t durationMs = 0;
  };
  struct Unit {
    UnitIdentity identity;
    std::int64_t id = 0;            // its row, once written
    std::vector<Pending> pending;   // of the pass under way
    std::vector<Pending> finished;  // of passes ended, for the next flush
  };

  ResultsDatabase(std::string path, sqlite3* db);
  bool prepare(std::string& error);
  bool begin();
  bool commit();
  bool ensureRun();
  bool ensureUnit(Unit& unit);
  bool writeRows(Unit& unit, std::vector<Pending>& rows);
  // Writes everything held of `unit`: its passes ended and the one under way.
  bool writeAll(Unit& unit);
  bool step(sqlite3_stmt* statement);
  void fail(int error);
  void close();

  std::string path_;
  sqlite3* db_;
  sqlite3_stmt* begin_ = nullptr;
  sqlite3_stmt* commit_ = nullptr;
  sqlite3_stmt* rollback_ = nullptr;
  sqlite3_stmt* insertRun_ = nullptr;
  sqlite3_stmt* insertUnit_ = nullptr;
  sqlite3_stmt* insertExchange_ = nullptr;
  sqlite3_stmt* endUnit_ = nullptr;
  sqlite3_stmt* endRun_ = nullptr;
  RunInfo info_;
  std::int64_t runId_ = 0;
  std::map<int, Unit> units_;
  std::optional<std::string> failure_;
};

}  // namespace kdx::run
