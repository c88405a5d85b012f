#include "results_reader.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace kdx::results {

namespace {

// A prepared statement that finalizes itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return rc_ == SQLITE_OK || rc_ == SQLITE_ROW || rc_ == SQLITE_DONE; }
  void bind(int index, std::int64_t value) { sqlite3_bind_int64(s_, index, value); }
  void bind(int index, const std::string& text) {
    sqlite3_bind_text(s_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  // The next row; false at the end or on an error (then ok() is false).
  bool row() {
    if (!s_ || !ok()) return false;
    rc_ = sqlite3_step(s_);
    return rc_ == SQLITE_ROW;
  }
  std::int64_t integer(int column) const { return sqlite3_column_int64(s_, column); }
  bool null(int column) const { return sqlite3_column_type(s_, column) == SQLITE_NULL; }
  std::optional<std::int64_t> maybeInteger(int column) const {
    if (null(column)) return std::nullopt;
    return integer(column);
  }
  std::string text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
    return data ? std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(s_, column)))
                : std::string();
  }
  std::optional<std::string> maybeText(int column) const {
    if (null(column)) return std::nullopt;
    return text(column);
  }

 private:
  sqlite3_stmt* s_ = nullptr;
  int rc_ = SQLITE_OK;
};

std::optional<int> SmallInt(const std::optional<std::int64_t>& value) {
  if (!value) return std::nullopt;
  return static_cast<int>(std::clamp<std::int64_t>(*value, -1000000, 1000000));
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// `count` digits at `at` of `text`, or nothing.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool IsNoAnswer(const std::string& outcome) {
  return outcome == "no-ack" || outcome == "no-head";
}

bool IsUntrusted(const std::string& outcome) {
  return outcome == "other" || outcome == "bad-check" || outcome == "wrong-reply" ||
         outcome == "short-reply";
}

}  // namespace

std::optional<std::int64_t> ParseLocalMs(std::string_view text) {
  // YYYY-MM-DDTHH:MM[:SS[.mmm]]
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2);
  const auto minute = Digits(text, 14, 2);
  if (!year || !month || !day || !hour || !minute || text[4] != '-' || text[7] != '-' ||
      (text[10] != 'T' && text[10] != ' ') || text[13] != ':')
    return std::nullopt;
  int second = 0;
  int ms = 0;
  std::size_t end = 16;
  if (text.size() > 16) {
    const auto s = Digits(text, 17, 2);
    if (text[16] != ':' || !s) return std::nullopt;
    second = *s;
    end = 19;
    if (text.size() > 19) {
      const auto m = Digits(text, 20, 3);
      if (text[19] != '.' || !m) return std::nullopt;
      ms = *m;
      end = 23;
    }
  }
  if (text.size() != end || *month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 ||
      *minute > 59 || second > 60)
    return std::nullopt;
  const std::int64_t days =
      DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day));
  return ((days * 24 + *hour) * 60 + *minute) * 60000 + second * 1000 + ms;
}

void UnitStats::add(std::int64_t pass, std::int64_t line, const std::string& started,
                    const std::string& outcome, const std::string& code, std::int64_t durationMs,
                    std::int64_t elapsedMs) {
  if (outcome == "cancelled" || outcome == "stopped") return;
  ++exchanges;
  durations_.add(durationMs);
  lastPass = std::max(lastPass, pass);
  const bool positive_ = outcome == "positive";
  points.push_back({elapsedMs, durationMs, !positive_});
  if (positive_) {
    ++positive;
    return;
  }
  if (outcome == "negative") {
    ++negative;
    ++negatives[code.empty() ? outcome : code];
  } else if (IsUntrusted(outcome)) {
    ++negative;
    ++negatives[outcome];
  } else if (IsNoAnswer(outcome)) {
    ++noAnswer;
  } else {
    ++linkFailures;
  }
  if (!firstFailure) firstFailure = Failure{pass, line, started, outcome};
}

std::int64_t UnitView::passes() const {
  if (unit.passesFinished) return *unit.passesFinished;
  return stats.lastPass;
}

bool UnitView::failed() const {
  if (stats.firstFailure) return true;
  const int status = unit.status.value_or(0);
  return status != 0 && status < 128;
}

std::unique_ptr<ResultsReader> ResultsReader::Open(const std::string& path, std::string& error) {
  sqlite3* db = nullptr;
  // Read-only: this program never writes to the database.
  const int rc =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    // The system's reason ("No such file or directory") where there is one.
    const int system = db ? sqlite3_system_errno(db) : 0;
    error = path + ": cannot be opened: " +
            (system ? std::strerror(system)
             : db   ? sqlite3_errmsg(db)
                    : "out of memory");
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  std::unique_ptr<ResultsReader> reader(new ResultsReader(path, db));
  std::string why;
  if (!reader->begin(why)) {
    error = path + ": " + why;
    return nullptr;
  }
  Statement header(db,
                   "SELECT (SELECT application_id FROM pragma_application_id), "
                   "(SELECT user_version FROM pragma_user_version), "
                   "(SELECT COUNT(*) FROM sqlite_master WHERE name IN ('run', 'unit', "
                   "'exchange')), (SELECT COUNT(*) FROM sqlite_master)");
  const bool read = header.row();
  const std::int64_t application = read ? header.integer(0) : 0;
  const std::int64_t version = read ? header.integer(1) : 0;
  const std::int64_t ours = read ? header.integer(2) : 0;
  const std::int64_t tables = read ? header.integer(3) : 0;
  if (!read) why = reader->reason();
  reader->end();
  if (!read) {
    error = path + ": " + why;
    return nullptr;
  }
  if (application != 0x4B445838 && tables != 0) {
    error = path + ": a SQLite database of another program, not kdx846-run results";
    return nullptr;
  }
  if (version > kSchemaVersion) {
    error = path + ": results of a newer kdx846-run (schema version " + std::to_string(version) +
            "; this program reads version " + std::to_string(kSchemaVersion) + ")";
    return nullptr;
  }
  if (tables != 0 && ours != 3) {
    error = path + ": the results tables are incomplete (damaged or not written by kdx846-run)";
    return nullptr;
  }
  reader->empty_ = tables == 0;
  return reader;
}

ResultsReader::~ResultsReader() {
  sqlite3_close_v2(db_);
}

std::string ResultsReader::reason() {
  const int rc = sqlite3_extended_errcode(db_) & 0xFF;
  const std::string message = sqlite3_errmsg(db_);
  switch (rc) {
    case SQLITE_NOTADB:
      return "not a SQLite database (" + message + ")";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "locked by another program (" + message + "); try again when it has finished";
    case SQLITE_CORRUPT:
      return "the database is damaged (" + message + ")";
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
      if (const int system = sqlite3_system_errno(db_))
        return "cannot be read: " + std::string(std::strerror(system));
      return "cannot be read: " + message;
    default:
      return "cannot be read: " + message;
  }
}

bool ResultsReader::begin(std::string& error) {
  // A read transaction: every query until end() sees the same commits.
  // The first query takes the snapshot.
  if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
    error = reason();
    return false;
  }
  return true;
}

void ResultsReader::end() {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
}

bool ResultsReader::hasTables() {
  if (!empty_) return true;
  Statement s(db_, "SELECT COUNT(*) FROM sqlite_master WHERE name IN ('run', 'unit', 'exchange')");
  empty_ = !(s.row() && s.integer(0) == 3);
  return !empty_;
}

bool ResultsReader::changed() {
  Statement s(db_, "PRAGMA data_version");
  if (!s.row()) return true;
  const std::int64_t version = s.integer(0);
  const bool differs = !dataVersion_ || *dataVersion_ != version;
  dataVersion_ = version;
  return differs;
}

bool ResultsReader::runs(std::vector<RunRow>& out, std::string& error) {
  out.clear();
  if (!begin(error)) return false;
  bool ok = true;
  if (hasTables()) {
    Statement s(db_,
                "SELECT id, started, ended, status, script_path, script_sha256, "
                "(SELECT COUNT(*) FROM unit WHERE unit.run_id = run.id) FROM run ORDER BY id");
    while (s.row()) {
      out.push_back({s.integer(0), s.text(1), s.maybeText(2), SmallInt(s.maybeInteger(3)),
                     s.text(4), s.text(5), static_cast<int>(s.integer(6))});
    }
    if (!s.ok()) {
      error = reason();
      ok = false;
    }
  }
  end();
  return ok;
}

bool ResultsReader::serials(std::vector<std::string>& out, std::string& error) {
  out.clear();
  if (!begin(error)) return false;
  bool ok = true;
  if (hasTables()) {
    Statement s(db_,
                "SELECT DISTINCT serial FROM unit WHERE serial IS NOT NULL AND serial <> '' "
                "ORDER BY serial");
    while (s.row()) out.push_back(s.text(0));
    if (!s.ok()) {
      error = reason();
      ok = false;
    }
  }
  end();
  return ok;
}

bool ResultsReader::load(std::int64_t runId, RunView& view, std::string& error) {
  view = RunView{};
  view.run.id = runId;
  return update(view, error);
}

bool ResultsReader::update(RunView& view, std::string& error) {
  // In steps of at most kExchangesPerRead exchanges, each its own short
  // read transaction, so that a long run loads without holding a snapshot
  // (and the runner's checkpoints) for long.
  for (;;) {
    if (!begin(error)) return false;
    if (!hasTables()) {
      end();
      return true;
    }
    Statement run(db_,
                  "SELECT started, ended, status, script_path, script_sha256, "
                  "(SELECT COUNT(*) FROM unit WHERE unit.run_id = run.id) FROM run WHERE id = ?");
    run.bind(1, view.run.id);
    if (!run.row()) {
      error =
          run.ok() ? "run " + std::to_string(view.run.id) + " is not in the database" : reason();
      end();
      return false;
    }
    const RunRow row{view.run.id,
                     run.text(0),
                     run.maybeText(1),
                     SmallInt(run.maybeInteger(2)),
                     run.text(3),
                     run.text(4),
                     static_cast<int>(run.integer(5))};
    bool changed = !(row == view.run);
    view.run = row;
    Statement units(db_,
                    "SELECT id, number, port, path, serial, status, passes_finished, end_reason "
                    "FROM unit WHERE run_id = ? ORDER BY number, id");
    units.bind(1, view.run.id);
    std::vector<UnitView> read;
    while (units.row()) {
      UnitRow u{units.integer(0),      static_cast<int>(units.integer(1)),
                units.text(2),         units.text(3),
                units.maybeText(4),    SmallInt(units.maybeInteger(5)),
                units.maybeInteger(6), units.maybeText(7)};
      const auto known = std::find_if(view.units.begin(), view.units.end(),
                                      [&](const UnitView& v) { return v.unit.id == u.id; });
      UnitView unit;
      changed = changed || known == view.units.end() || !(known->unit == u);
      if (known != view.units.end()) unit.stats = std::move(known->stats);
      unit.unit = std::move(u);
      read.push_back(std::move(unit));
    }
    if (!units.ok()) {
      error = reason();
      end();
      return false;
    }
    changed = changed || read.size() != view.units.size();
    view.units = std::move(read);
    const auto runStart = ParseLocalMs(view.run.started);
    Statement exchanges(db_,
                        "SELECT id, unit_id, pass, line, started, outcome, code, duration_ms "
                        "FROM exchange WHERE id > ? AND unit_id IN "
                        "(SELECT id FROM unit WHERE run_id = ?) ORDER BY id LIMIT ?");
    exchanges.bind(1, view.lastExchangeId);
    exchanges.bind(2, view.run.id);
    exchanges.bind(3, kExchangesPerRead);
    int count = 0;
    while (exchanges.row()) {
      ++count;
      view.lastExchangeId = exchanges.integer(0);
      const std::int64_t unitId = exchanges.integer(1);
      const auto unit = std::find_if(view.units.begin(), view.units.end(),
                                     [&](const UnitView& v) { return v.unit.id == unitId; });
      if (unit == view.units.end()) continue;
      const std::string started = exchanges.text(4);
      const auto at = ParseLocalMs(started);
      const std::int64_t elapsed = at && runStart ? std::max<std::int64_t>(0, *at - *runStart) : 0;
      view.lastElapsedMs = std::max(view.lastElapsedMs, elapsed);
      unit->stats.add(exchanges.integer(2), exchanges.integer(3), started, exchanges.text(5),
                      exchanges.text(6), std::max<std::int64_t>(0, exchanges.integer(7)), elapsed);
    }
    if (changed || count > 0) ++view.revision;
    const bool ok = exchanges.ok();
    if (!ok) error = reason();
    end();
    if (!ok) return false;
    if (count < kExchangesPerRead) return true;
  }
}

bool ResultsReader::serialHistory(const std::string& serial, std::vector<SerialRun>& out,
                                  std::string& error) {
  out.clear();
  if (!begin(error)) return false;
  bool ok = true;
  if (hasTables()) {
    // Per run of the serial number: its passes, and those with an exchange
    // that was not positive (an EOT instead of a command is none).
    Statement s(db_,
                "SELECT run.id, run.started, COUNT(DISTINCT e.pass), "
                "  COUNT(DISTINCT CASE WHEN e.outcome <> 'positive' THEN e.pass END) "
                "FROM unit JOIN run ON run.id = unit.run_id "
                "LEFT JOIN exchange e ON e.unit_id = unit.id "
                "  AND e.outcome NOT IN ('cancelled', 'stopped') "
                "WHERE unit.serial = ? GROUP BY unit.id ORDER BY run.started, run.id");
    s.bind(1, serial);
    while (s.row()) {
      const std::int64_t passes = s.integer(2);
      out.push_back({s.integer(0), s.text(1), passes, passes - s.integer(3)});
    }
    if (!s.ok()) {
      error = reason();
      ok = false;
    }
  }
  end();
  return ok;
}

}  // namespace kdx::results
