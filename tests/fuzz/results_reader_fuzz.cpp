// kdx846-results on arbitrary file contents: a results database whose rows
// hold whatever the input says (SQLite keeps any type in any column, and a
// damaged or hand-edited file may), read as the window reads it, with every
// count, cell, CSV row and chart point checked for sense; also the time
// stamps and the command line on their own.
//
// Input: the first byte's low two bits choose: 0, a database: rows of one
// run, each an exchange of unit 1 to 3 (byte), pass and line (bytes),
// started (text), outcome (text), code (text) and duration (word, or a
// text when its high bit is set); 1, a time stamp; 2, the command line's
// arguments, a zero byte between two.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chart_data.h"
#include "fuzz_input.h"
#include "results_options.h"
#include "results_reader.h"
#include "results_schema.h"
#include "results_table.h"

using namespace kdx;
using namespace kdx::results;
using namespace kdx::fuzz;

namespace {

// SQL text literal.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\0') continue;
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

void CheckRun(ResultsReader& reader, std::int64_t id) {
  RunView view;
  std::string error;
  if (!reader.load(id, view, error)) return;
  for (const UnitView& unit : view.units) {
    const UnitStats& s = unit.stats;
    KDX_FUZZ_CHECK(s.positive + s.negative + s.noAnswer + s.linkFailures == s.exchanges);
    std::int64_t byCode = 0;
    for (const auto& entry : s.negatives) byCode += entry.second;
    KDX_FUZZ_CHECK(byCode == s.negative);
    KDX_FUZZ_CHECK(s.firstFailure.has_value() == (s.exchanges > s.positive));
    KDX_FUZZ_CHECK(s.percentileMs(50) <= s.percentileMs(95));
    KDX_FUZZ_CHECK(s.percentileMs(95) <= s.percentileMs(100));
    KDX_FUZZ_CHECK(UnitCells(unit, true).size() == kUnitColumnCount);
  }
  const std::string csv = UnitTableCsv(view);
  KDX_FUZZ_CHECK(csv.size() >= 2 && csv.substr(csv.size() - 2) == "\r\n");
  const ExchangeTimeChart times = ExchangeTimes(view, 16);
  for (const auto& unit : times.units) {
    KDX_FUZZ_CHECK(unit.line.size() <= 32 || !times.thinned);
    for (const ChartPoint& p : unit.failures) KDX_FUZZ_CHECK(p.x >= 0 && p.x <= times.maxX);
  }
  const FailureBinChart bins = FailureBins(view, 7);
  for (std::size_t u = 0; u < bins.units.size(); ++u) {
    std::int64_t failures = 0;
    for (std::int64_t count : bins.units[u].counts) failures += count;
    std::int64_t failed = 0;
    for (const ExchangePoint& p : view.units[u].stats.points) failed += p.failed ? 1 : 0;
    KDX_FUZZ_CHECK(failures == failed);
  }
}

void Database(InputReader& in) {
  static const std::string path = "/tmp/kdx846-results-fuzz-" + std::to_string(::getpid()) + ".db";
  std::remove(path.c_str());
  std::string error;
  sqlite3* db = run::OpenResultsFile(path, 100, error);
  if (!db) return;
  std::string sql =
      "BEGIN; INSERT INTO run (script_path, script, script_sha256, arguments, started) VALUES "
      "('s', X'00', 'h', '[]', " +
      Quoted(in.text(30)) + ");";
  for (int unit = 1; unit <= 3; ++unit) {
    const std::string serial = in.text(8);
    sql += "INSERT INTO unit (run_id, number, port, path, serial) VALUES (1, " +
           std::to_string(unit) + ", 'p', 'p', " + (serial.empty() ? "NULL" : Quoted(serial)) +
           ");";
  }
  for (int row = 0; row < 200 && !in.empty(); ++row) {
    const int unit = in.byte() % 3 + 1;
    const int pass = in.byte();
    const int line = in.byte();
    const std::string started = in.text(30);
    const std::string outcome = in.text(12);
    const std::string code = in.text(3);
    const std::uint16_t duration = in.word();
    const std::string ms =
        duration & 0x8000 ? Quoted(in.text(10)) : std::to_string(duration & 0x7FFF);
    sql +=
        "INSERT INTO exchange (unit_id, pass, line, started, sent, received, outcome, code, "
        "duration_ms) VALUES (" +
        std::to_string(unit) + ", " + std::to_string(pass) + ", " + std::to_string(line) + ", " +
        Quoted(started) + ", X'', X'', " + Quoted(outcome) + ", " + Quoted(code) + ", " + ms + ");";
  }
  sql += "COMMIT;";
  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close_v2(db);

  auto reader = ResultsReader::Open(path, error);
  KDX_FUZZ_CHECK(reader != nullptr);
  std::vector<RunRow> runs;
  if (reader->runs(runs, error)) {
    for (const RunRow& run : runs) {
      CheckRun(*reader, run.id);
      KDX_FUZZ_CHECK(!RunVerdict(run).empty() && !RunDuration(run).empty());
    }
  }
  std::vector<std::string> serials;
  if (reader->serials(serials, error)) {
    for (const std::string& serial : serials) {
      std::vector<SerialRun> history;
      if (!reader->serialHistory(serial, history, error)) continue;
      for (const SerialRun& run : history)
        KDX_FUZZ_CHECK(run.passRate() >= 0 && run.passRate() <= 100);
    }
  }
  reader.reset();
  std::remove(path.c_str());
}

void TimeStamp(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto ms = ParseLocalMs(text);
  if (!ms) return;
  // What parses is the runner's form, and a second later is a second more.
  KDX_FUZZ_CHECK(text.size() == 16 || text.size() == 19 || text.size() == 23);
  if (text.size() == 23 && text[18] < '9') {
    std::string later = text;
    ++later[18];
    KDX_FUZZ_CHECK(ParseLocalMs(later) == *ms + 1000);
  }
}

void CommandLine(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(2);
  args[0] = "kdx846-results";
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  const ResultsArguments parsed = ParseResultsArguments(static_cast<int>(argv.size()), argv.data());
  if (parsed.request == ResultsArguments::Request::Bad) KDX_FUZZ_CHECK(!parsed.error.empty());
  if (parsed.request == ResultsArguments::Request::Run && parsed.exportDir)
    KDX_FUZZ_CHECK(!parsed.file.empty() && !parsed.exportDir->empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  switch (data[0] & 3) {
    case 0: {
      InputReader in(data + 1, size - 1);
      Database(in);
      break;
    }
    case 1:
      TimeStamp(data + 1, size - 1);
      break;
    default:
      CommandLine(data + 1, size - 1);
      break;
  }
  return 0;
}
