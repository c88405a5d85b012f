#include "results_database.h"

#include <sqlite3.h>

#include <cerrno>

#include "link/bytes.h"
#include "link/json_reader.h"

namespace kdx::run {

namespace {

// A JSON array of the command line's words, for the run's arguments.
std::string JsonArray(const std::vector<std::string>& words) {
  std::string out = "[";
  for (const auto& word : words) {
    if (out.size() > 1) out += ",";
    out += JsonString(word);
  }
  return out + "]";
}

void BindText(sqlite3_stmt* s, int index, const std::string& text, bool nullWhenEmpty = false) {
  if (nullWhenEmpty && text.empty())
    sqlite3_bind_null(s, index);
  else
    sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void BindBlob(sqlite3_stmt* s, int index, const void* data, std::size_t size) {
  // A zero-length blob, not NULL, for nothing received.
  sqlite3_bind_blob(s, index, size ? data : "", static_cast<int>(size), SQLITE_STATIC);
}

}  // namespace

std::unique_ptr<ResultsDatabase> ResultsDatabase::Open(const std::string& path, int busyTimeoutMs,
                                                       std::string& error) {
  sqlite3* db = OpenResultsFile(path, busyTimeoutMs, error);
  if (!db) return nullptr;
  std::unique_ptr<ResultsDatabase> database(new ResultsDatabase(path, db));
  if (database->prepare(error)) return database;
  error = "--results " + path + ": " + error;
  return nullptr;  // its destructor closes the database
}

ResultsDatabase::ResultsDatabase(std::string path, sqlite3* db) : path_(std::move(path)), db_(db) {}

ResultsDatabase::~ResultsDatabase() {
  close();
}

bool ResultsDatabase::prepare(std::string& error) {
  const std::pair<sqlite3_stmt**, const char*> statements[] = {
      {&begin_, "BEGIN IMMEDIATE"},
      {&commit_, "COMMIT"},
      {&rollback_, "ROLLBACK"},
      {&insertRun_,
       "INSERT INTO run (script_path, script, script_sha256, arguments, started) "
       "VALUES (?, ?, ?, ?, ?)"},
      {&insertUnit_,
       "INSERT INTO unit (run_id, number, port, path, serial, configuration) "
       "VALUES (?, ?, ?, ?, ?, ?)"},
      {&insertExchange_,
       "INSERT INTO exchange (unit_id, pass, line, started, sent, received, outcome, reason, "
       "code, reply_status, duration_ms) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"},
      {&endUnit_, "UPDATE unit SET status = ?, passes_finished = ?, end_reason = ? WHERE id = ?"},
      {&endRun_, "UPDATE run SET ended = ?, status = ? WHERE id = ?"},
  };
  for (const auto& [statement, sql] : statements) {
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr) !=
        SQLITE_OK) {
      error = SqliteReason(db_);
      return false;
    }
  }
  return true;
}

void ResultsDatabase::close() {
  if (!db_) return;
  for (sqlite3_stmt* s :
       {begin_, commit_, rollback_, insertRun_, insertUnit_, insertExchange_, endUnit_, endRun_})
    sqlite3_finalize(s);
  // The last connection to close folds the log into the database.
  sqlite3_close_v2(db_);
  db_ = nullptr;
}

bool ResultsDatabase::step(sqlite3_stmt* statement) {
  errno = 0;
  const int rc = sqlite3_step(statement);
  const int error = errno;
  const bool ok = rc == SQLITE_DONE || rc == SQLITE_ROW;
  if (!ok) fail(error);
  if (db_) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
  return ok;
}

void ResultsDatabase::fail(int error) {
  failure_ = "cannot write to the results database " + path_ + ": " + SqliteReason(db_, error) +
             "; the passes written before are kept";
  if (!sqlite3_get_autocommit(db_)) {
    sqlite3_step(rollback_);
    sqlite3_reset(rollback_);
  }
  close();
}

bool ResultsDatabase::begin() {
  return db_ && step(begin_);
}

bool ResultsDatabase::commit() {
  return step(commit_);
}

bool ResultsDatabase::ensureRun() {
  if (runId_ != 0) return true;
  sqlite3_stmt* s = insertRun_;
  BindText(s, 1, info_.scriptPath);
  BindBlob(s, 2, info_.scriptText.data(), info_.scriptText.size());
  BindText(s, 3, info_.scriptHash);
  const std::string arguments = JsonArray(info_.arguments);
  BindText(s, 4, arguments);
  const std::string started = IsoLocalTime(info_.started);
  BindText(s, 5, started);
  if (!step(s)) return false;
  runId_ = sqlite3_last_insert_rowid(db_);
  return true;
}

bool ResultsDatabase::ensureUnit(Unit& unit) {
  if (unit.id != 0) return true;
  if (!ensureRun()) return false;
  sqlite3_stmt* s = insertUnit_;
  const UnitIdentity& u = unit.identity;
  const std::string serial = Latin1ToUtf8(u.serial);
  const std::string configuration = Latin1ToUtf8(u.configuration);
  sqlite3_bind_int64(s, 1, runId_);
  sqlite3_bind_int(s, 2, u.unit);
  BindText(s, 3, u.port);
  BindText(s, 4, u.path);
  BindText(s, 5, serial, true);
  BindText(s, 6, configuration, true);
  if (!step(s)) return false;
  unit.id = sqlite3_last_insert_rowid(db_);
  return true;
}

bool ResultsDatabase::writeRows(Unit& unit, std::vector<Pending>& rows) {
  if (rows.empty()) return true;
  if (!ensureUnit(unit)) return false;
  sqlite3_stmt* s = insertExchange_;
  for (const Pending& p : rows) {
    sqlite3_bind_int64(s, 1, unit.id);
    sqlite3_bind_int(s, 2, p.pass);
    sqlite3_bind_int(s, 3, p.line);
    BindText(s, 4, p.started);
    BindBlob(s, 5, p.sent.data(), p.sent.size());
    BindBlob(s, 6, p.received.data(), p.received.size());
    sqlite3_bind_text(s, 7, p.outcome, -1, SQLITE_STATIC);
    BindText(s, 8, p.reason, true);
    BindText(s, 9, p.code, true);
    BindText(s, 10, p.replyStatus, true);
    sqlite3_bind_int64(s, 11, p.durationMs);
    if (!step(s)) return false;
  }
  rows.clear();
  return true;
}

bool ResultsDatabase::writeAll(Unit& unit) {
  return writeRows(unit, unit.finished) && writeRows(unit, unit.pending);
}

void ResultsDatabase::runStarted(const RunInfo& info) {
  info_ = info;
  if (begin() && ensureRun()) commit();
}

void ResultsDatabase::unitStarted(const UnitIdentity& identity) {
  Unit& unit = units_[identity.unit];
  unit.identity = identity;
  if (begin() && ensureUnit(unit)) commit();
}

void ResultsDatabase::exchange(const ExchangeRow& row) {
  if (!db_) return;
  Unit& unit = units_[row.unit];
  if (unit.identity.unit == 0) {
    unit.identity.unit = row.unit;
    for (const auto& known : info_.units)
      if (known.unit == row.unit) unit.identity = known;
  }
  const ExchangeRecord& r = row.record;
  Pending p;
  p.pass = row.pass;
  p.line = row.line;
  p.started = IsoLocalTime(r.time);
  p.sent = r.sent;
  p.received = r.outcome.received();
  p.outcome = KindName(row.verdict.kind);
  p.reason = row.verdict.reason;
  if (row.verdict.kind == ReplyKind::Negative && r.reply.size() >= 5)
    p.code = Latin1ToUtf8(BytesToText(ByteView(r.reply).subspan(3, 2)));
  else if (row.verdict.kind == ReplyKind::Positive && r.reply.size() >= 6)
    p.replyStatus = Latin1ToUtf8(BytesToText(ByteView(r.reply).subspan(3, 3)));
  p.durationMs = row.durationMs;
  unit.pending.push_back(std::move(p));
}

void ResultsDatabase::passEnded(int unit, int) {
  auto at = units_.find(unit);
  if (at == units_.end()) return;
  std::vector<Pending>& pending = at->second.pending;
  std::vector<Pending>& finished = at->second.finished;
  finished.insert(finished.end(), std::make_move_iterator(pending.begin()),
                  std::make_move_iterator(pending.end()));
  pending.clear();
}

void ResultsDatabase::flush() {
  bool due = false;
  for (const auto& [number, unit] : units_) due = due || !unit.finished.empty();
  if (!due || !begin()) return;
  for (auto& [number, unit] : units_)
    if (!writeRows(unit, unit.finished)) return;
  commit();
}

void ResultsDatabase::unitEnded(const UnitEnd& end) {
  Unit& unit = units_[end.unit];
  if (unit.identity.unit == 0) unit.identity.unit = end.unit;
  if (!begin() || !writeAll(unit)) return;
  sqlite3_bind_int(endUnit_, 1, end.status);
  sqlite3_bind_int(endUnit_, 2, end.passesFinished);
  if (end.reason)
    BindText(endUnit_, 3, *end.reason);
  else
    sqlite3_bind_null(endUnit_, 3);
  sqlite3_bind_int64(endUnit_, 4, unit.id);
  if (step(endUnit_)) commit();
}

void ResultsDatabase::runEnded(const LocalTime& ended, int status) {
  if (!begin()) return;
  for (auto& [number, unit] : units_)
    if (!writeAll(unit)) return;
  if (!ensureRun()) return;
  const std::string time = IsoLocalTime(ended);
  BindText(endRun_, 1, time);
  sqlite3_bind_int(endRun_, 2, status);
  sqlite3_bind_int64(endRun_, 3, runId_);
  if (step(endRun_) && commit()) close();
}

}  // namespace kdx::run
