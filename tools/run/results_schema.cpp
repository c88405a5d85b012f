#include "results_schema.h"

#include <sqlite3.h>

#include <cstring>

#include "atomic_file.h"

namespace kdx::run {

const char* const kResultsSchema = R"sql(CREATE TABLE run (
  id            INTEGER PRIMARY KEY,
  script_path   TEXT    NOT NULL,
  script        BLOB    NOT NULL,
  script_sha256 TEXT    NOT NULL,
  arguments     TEXT    NOT NULL,
  started       TEXT    NOT NULL,
  ended         TEXT,
  status        INTEGER
);
CREATE TABLE unit (
  id              INTEGER PRIMARY KEY,
  run_id          INTEGER NOT NULL REFERENCES run (id),
  number          INTEGER NOT NULL,
  port            TEXT    NOT NULL,
  path            TEXT    NOT NULL,
  serial          TEXT,
  configuration   TEXT,
  status          INTEGER,
  passes_finished INTEGER,
  end_reason      TEXT,
  UNIQUE (run_id, number)
);
CREATE TABLE exchange (
  id           INTEGER PRIMARY KEY,
  unit_id      INTEGER NOT NULL REFERENCES unit (id),
  pass         INTEGER NOT NULL,
  line         INTEGER NOT NULL,
  started      TEXT    NOT NULL,
  sent         BLOB    NOT NULL,
  received     BLOB    NOT NULL,
  outcome      TEXT    NOT NULL,
  reason       TEXT,
  code         TEXT,
  reply_status TEXT,
  duration_ms  INTEGER NOT NULL
);
CREATE INDEX unit_serial ON unit (serial);
)sql";

std::string SqliteReason(sqlite3* db, int error) {
  std::string reason = sqlite3_errmsg(db);
  const int rc = sqlite3_extended_errcode(db) & 0xFF;
  if (sqlite3_system_errno(db) != 0) error = sqlite3_system_errno(db);
  if (error != 0 && (rc == SQLITE_IOERR || rc == SQLITE_FULL || rc == SQLITE_CANTOPEN))
    reason += std::string(" (") + std::strerror(error) + ")";
  return reason;
}

namespace {

// The one value a query returns (a PRAGMA's), or nothing with SQLite's
// result code in `rc`.
std::optional<std::int64_t> QueryInt(sqlite3* db, const char* sql, int& rc) {
  sqlite3_stmt* statement = nullptr;
  rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  std::optional<std::int64_t> value;
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
      value = sqlite3_column_int64(statement, 0);
      rc = SQLITE_OK;
    }
  }
  sqlite3_finalize(statement);
  return value;
}

// Why a run cannot be written, from the result code of the step that
// failed while the database was opened.
std::string Refusal(sqlite3* db, int rc) {
  switch (rc & 0xFF) {
    case SQLITE_NOTADB:
      return "not a SQLite database (" + SqliteReason(db) + ")";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "locked by another program that is writing to it (" + SqliteReason(db) + ")";
    case SQLITE_READONLY:
      return "read-only (" + SqliteReason(db) + ")";
    default:
      return "cannot be written: " + SqliteReason(db);
  }
}

// Checks what the file holds and gives it the schema when it has none.
// Runs inside the opening write transaction.
bool CheckSchema(sqlite3* db, std::string& error) {
  int rc = SQLITE_OK;
  const auto application = QueryInt(db, "PRAGMA application_id", rc);
  const auto version = QueryInt(db, "PRAGMA user_version", rc);
  const auto tables = QueryInt(db, "SELECT COUNT(*) FROM sqlite_master", rc);
  if (!application || !version || !tables) {
    error = Refusal(db, rc);
    return false;
  }
  if ((*application != 0 && *application != kResultsApplicationId) ||
      (*application == 0 && *tables != 0)) {
    error = "a SQLite database of another program, not kdx846-run results";
    return false;
  }
  if (*version > kResultsSchemaVersion) {
    error = "results of a newer kdx846-run (schema version " + std::to_string(*version) +
            "; this one writes version " + std::to_string(kResultsSchemaVersion) + ")";
    return false;
  }
  if (*tables == 0) {
    rc = sqlite3_exec(db, kResultsSchema, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      error = Refusal(db, rc);
      return false;
    }
  }
  // Written even when unchanged: the header page then goes to the log, so
  // a disk that takes no more is found here, before the run.
  const std::string stamp = "PRAGMA application_id = " + std::to_string(kResultsApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kResultsSchemaVersion);
  rc = sqlite3_exec(db, stamp.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) error = Refusal(db, rc);
  return rc == SQLITE_OK;
}

// Opens the database for a run: WAL, synchronous=NORMAL, the busy timeout,
// then one write transaction that checks (or makes) the schema.
bool Prepare(sqlite3* db, int busyTimeoutMs, std::string& error) {
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, busyTimeoutMs);
  int rc = SQLITE_OK;
  // The first read of the file: a file that is not SQLite shows here.
  if (!QueryInt(db, "PRAGMA schema_version", rc)) {
    error = Refusal(db, rc);
    return false;
  }
  const char* setup =
      "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; "
      "PRAGMA foreign_keys = ON";
  rc = sqlite3_exec(db, setup, nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    error = Refusal(db, rc);
    return false;
  }
  bool ok = CheckSchema(db, error);
  if (ok) {
    rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      error = Refusal(db, rc);
      ok = false;
    }
  }
  if (!ok && !sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return ok;
}

}  // namespace

sqlite3* OpenResultsFile(const std::string& path, int busyTimeoutMs, std::string& error) {
  if (auto problem = ReportPathProblem(path)) {
    error = "--results: " + *problem;
    return nullptr;
  }
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  std::string why;
  if (rc != SQLITE_OK) {
    why = db ? Refusal(db, rc) : "out of memory";
  } else if (sqlite3_db_readonly(db, "main") == 1) {
    why = "read-only: the file cannot be written";
  } else if (Prepare(db, busyTimeoutMs, why)) {
    return db;
  }
  sqlite3_close_v2(db);
  error = "--results " + path + ": " + why;
  return nullptr;
}

}  // namespace kdx::run
