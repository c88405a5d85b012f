#pragma once
// A results database written in a test: the runner's own schema (through
// kdx846-run's opening routine), then runs, units and exchanges as SQL rows,
// so that a reader's counts can be checked against SQL on known data.
#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "results_schema.h"

namespace kdx::test {

class ResultsFixture {
 public:
  // Creates (or opens) the database at `path` with the runner's schema.
  explicit ResultsFixture(const std::string& path) {
    std::string error;
    db_ = run::OpenResultsFile(path, 1000, error);
    error_ = error;
  }
  ~ResultsFixture() { sqlite3_close_v2(db_); }
  ResultsFixture(const ResultsFixture&) = delete;
  ResultsFixture& operator=(const ResultsFixture&) = delete;

  sqlite3* db() const { return db_; }
  const std::string& error() const { return error_; }

  // Runs `sql`; true when it succeeded.
  bool exec(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }

  // A run started at `started` ("2026-12-09T10:00:00.000"); its id.
  std::int64_t addRun(const std::string& started, const std::string& ended = {}, int status = -1) {
    exec(
        "INSERT INTO run (script_path, script, script_sha256, arguments, started, ended, status) "
        "VALUES ('/tmp/burn-in.txt', X'43313003', 'ab12', '[]', '" +
        started + "', " + (ended.empty() ? "NULL" : "'" + ended + "'") + ", " +
        (status < 0 ? "NULL" : std::to_string(status)) + ")");
    return sqlite3_last_insert_rowid(db_);
  }

  // A unit of run `run`; `status` < 0 leaves it running. Its id.
  std::int64_t addUnit(std::int64_t run, int number, const std::string& serial, int status = -1,
                       int passesFinished = -1, const std::string& endReason = {}) {
    const auto orNull = [](int value) { return value < 0 ? "NULL" : std::to_string(value); };
    exec(
        "INSERT INTO unit (run_id, number, port, path, serial, status, passes_finished, "
        "end_reason) VALUES (" +
        std::to_string(run) + ", " + std::to_string(number) + ", 'COM" + std::to_string(number) +
        "', '/dev/ttyUSB" + std::to_string(number) + "', " +
        (serial.empty() ? "NULL" : "'" + serial + "'") + ", " + orNull(status) + ", " +
        orNull(passesFinished) + ", " + (endReason.empty() ? "NULL" : "'" + endReason + "'") + ")");
    return sqlite3_last_insert_rowid(db_);
  }

  // One exchange of unit `unit`; `code` for a negative reply.
  void addExchange(std::int64_t unit, int pass, int line, const std::string& started,
                   const std::string& outcome, int durationMs, const std::string& code = {}) {
    exec(
        "INSERT INTO exchange (unit_id, pass, line, started, sent, received, outcome, code, "
        "duration_ms) VALUES (" +
        std::to_string(unit) + ", " + std::to_string(pass) + ", " + std::to_string(line) + ", '" +
        started + "', X'02', X'06', '" + outcome + "', " +
        (code.empty() ? "NULL" : "'" + code + "'") + ", " + std::to_string(durationMs) + ")");
  }

  // The one integer `sql` gives (a count), or -1.
  std::int64_t integer(const std::string& sql) const {
    sqlite3_stmt* s = nullptr;
    std::int64_t value = -1;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
      value = sqlite3_column_type(s, 0) == SQLITE_NULL ? -1 : sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return value;
  }

 private:
  sqlite3* db_ = nullptr;
  std::string error_;
};

}  // namespace kdx::test
