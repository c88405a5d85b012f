#pragma once

// Synthetic records of kdx846-run for its sinks: a run, its units and
// exchanges of each reply kind, without a line or a device; and the results
// database read back with SQL.
#include <sqlite3.h>

#include <QStringList>
#include <string>

#include "console/command_line.h"
#include "run_record.h"

namespace kdx::test {

// The script every synthetic run sends: three command lines.
inline constexpr const char* kRunScript = "C10\r\nC11\r\nC12\r\n";

inline run::RunInfo RunInfoFor(const std::vector<run::UnitIdentity>& units) {
  run::RunInfo info;
  info.scriptPath = "burn-in.txt";
  info.scriptText = kRunScript;
  info.scriptHash = std::string(64, 'a');
  info.arguments = {"burn-in.txt", "--port", "COM3", "--repeat", "2"};
  info.started = {2026, 5, 3, 10, 0, 0, 0};
  info.units = units;
  return info;
}

inline run::UnitIdentity UnitFor(int unit, std::string port, std::string serial) {
  return {unit, port, "/dev/ttyS" + std::to_string(unit), std::move(serial), "A1"};
}

// One exchange of `line` (1 to 3: C10, C11, C12) that ended as `kind`: a
// negative reply carries `code`, a positive one the status "000", and every
// other kind the `reason` given.
inline run::ExchangeRow RowFor(int unit, int pass, int line, run::ReplyKind kind,
                               const std::string& code = "10", const std::string& reason = {}) {
  run::ExchangeRow row;
  row.unit = unit;
  row.pass = pass;
  row.line = line;
  row.durationMs = 10 + line;
  row.verdict = {kind, reason};
  ExchangeRecord& r = row.record;
  r.time = {2026, 5, 3, 10, pass % 60, line, 5};
  const std::string text = "C1" + std::to_string(line - 1);
  r.sent = BuildConsoleFrame(0, Bytes(text.begin(), text.end()));
  if (kind == run::ReplyKind::Cancelled) {
    r.sent = {kEot};
    r.end = ExchangeEnd::Cancelled;
    return row;
  }
  if (kind == run::ReplyKind::NoAck) {
    r.end = ExchangeEnd::NoAck;
    return row;
  }
  r.outcome.ack = kAck;
  if (kind != run::ReplyKind::Positive && kind != run::ReplyKind::Negative) {
    r.end = ExchangeEnd::Failed;
    return row;
  }
  const bool positive = kind == run::ReplyKind::Positive;
  r.end = positive ? ExchangeEnd::Positive : ExchangeEnd::Negative;
  r.reply = {static_cast<std::uint8_t>(positive ? 'P' : 'N'), r.sent[5], r.sent[6]};
  for (char c : positive ? std::string("000") : code)
    r.reply.push_back(static_cast<std::uint8_t>(c));
  r.reply.push_back(kEtx);
  r.reply.push_back(0x5A);  // the check byte: the sinks take the verdict as given
  r.outcome.head = {kStx, 0, 0, static_cast<std::uint8_t>(r.reply.size() - 2)};
  r.outcome.reply = r.reply;
  r.outcome.end = TrafficEnd::Reply;
  r.outcome.stage = ExchangeStage::Done;
  return row;
}

// A results database opened the way another program opens it.
struct ResultsFile {
  sqlite3* db = nullptr;
  explicit ResultsFile(const QString& path) { sqlite3_open(path.toUtf8().constData(), &db); }
  ~ResultsFile() { sqlite3_close(db); }
  ResultsFile(const ResultsFile&) = delete;
  ResultsFile& operator=(const ResultsFile&) = delete;
  // Every row of `sql`, its columns joined by "|", NULL as "-"; the error
  // message alone for a statement that fails.
  QStringList rows(const QString& sql) const {
    QStringList out;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
      return {sqlite3_errmsg(db)};
    while (sqlite3_step(s) == SQLITE_ROW) {
      QStringList columns;
      for (int i = 0; i < sqlite3_column_count(s); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        columns << (text ? QString::fromUtf8(text) : QString("-"));
      }
      out << columns.join('|');
    }
    sqlite3_finalize(s);
    return out;
  }
  QString value(const QString& sql) const { return rows(sql).value(0, "no row"); }
  bool exec(const QString& sql) const {
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }
};

}  // namespace kdx::test
