#include "results_table.h"

#include "link/reply_catalogue.h"
#include "link/traffic_csv.h"

namespace kdx::results {

namespace {

std::string Number(const std::optional<std::int64_t>& value) {
  return value ? std::to_string(*value) : std::string();
}

std::string Two(std::int64_t value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

// The time of day of a stored time stamp ("01:23:45.678").
std::string TimeOfDay(const std::string& started) {
  return started.size() > 11 ? started.substr(11) : started;
}

std::string CodeText(const std::string& code) {
  if (code.size() != 2) return code;  // an untrusted reply's kind
  const auto text =
      NegativeReplyText(static_cast<std::uint8_t>(code[0]), static_cast<std::uint8_t>(code[1]));
  return code + " " + (text ? std::string(*text) : "(not in the reply catalogue)");
}

}  // namespace

std::vector<std::string> UnitTableHeader() {
  return {"Unit",           "Serial number",
          "Port",           "Passes",
          "Exchanges",      "Negative",
          "Negative codes", "No answer",
          "Link failures",  "Median ms",
          "p95 ms",         "Max ms",
          "First failure",  "End"};
}

std::vector<std::string> UnitCells(const UnitView& view, bool runEnded) {
  const UnitRow& u = view.unit;
  const UnitStats& s = view.stats;
  std::string codes;
  for (const auto& [code, count] : s.negatives) {
    if (!codes.empty()) codes += ", ";
    codes += code + " x " + std::to_string(count);
  }
  std::string first;
  if (s.firstFailure) {
    const auto& f = *s.firstFailure;
    first = "pass " + std::to_string(f.pass) + ", line " + std::to_string(f.line) + ", " +
            TimeOfDay(f.started) + " (" + f.outcome + ")";
  }
  std::string end = runEnded ? "not ended" : "running";
  if (u.status) end = u.endReason.value_or("done");
  return {std::to_string(u.number),
          u.serial.value_or(""),
          u.port,
          std::to_string(view.passes()),
          std::to_string(s.exchanges),
          std::to_string(s.negative),
          codes,
          std::to_string(s.noAnswer),
          std::to_string(s.linkFailures),
          Number(s.percentileMs(50)),
          Number(s.percentileMs(95)),
          Number(s.percentileMs(100)),
          first,
          end};
}

std::optional<double> UnitSortValue(const UnitView& view, int column) {
  const UnitStats& s = view.stats;
  const auto time = [](const std::optional<std::int64_t>& ms) {
    return static_cast<double>(ms.value_or(-1));
  };
  switch (column) {
    case kUnitNumber:
      return view.unit.number;
    case kUnitPasses:
      return static_cast<double>(view.passes());
    case kUnitExchanges:
      return static_cast<double>(s.exchanges);
    case kUnitNegative:
    case kUnitNegativesByCode:
      return static_cast<double>(s.negative);
    case kUnitNoAnswer:
      return static_cast<double>(s.noAnswer);
    case kUnitLinkFailures:
      return static_cast<double>(s.linkFailures);
    case kUnitMedianMs:
      return time(s.percentileMs(50));
    case kUnitP95Ms:
      return time(s.percentileMs(95));
    case kUnitMaxMs:
      return time(s.percentileMs(100));
    default:
      return std::nullopt;
  }
}

std::string NegativesTip(const UnitStats& stats) {
  std::string tip;
  for (const auto& [code, count] : stats.negatives) {
    if (!tip.empty()) tip += "\n";
    tip += CodeText(code) + " x " + std::to_string(count);
  }
  return tip;
}

std::string UnitTableCsv(const RunView& run) {
  std::string csv;
  const auto record = [&](const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i) csv += ",";
      csv += CsvField(cells[i]);
    }
    csv += "\r\n";
  };
  record(UnitTableHeader());
  for (const UnitView& unit : run.units) record(UnitCells(unit, run.run.ended.has_value()));
  return csv;
}

std::string UnitName(const UnitView& unit) {
  if (unit.unit.serial && !unit.unit.serial->empty()) return *unit.unit.serial;
  return "unit " + std::to_string(unit.unit.number) + " (" + unit.unit.port + ")";
}

std::string RunScript(const RunRow& run) {
  const auto slash = run.scriptPath.find_last_of("/\\");
  std::string name = slash == std::string::npos ? run.scriptPath : run.scriptPath.substr(slash + 1);
  if (name.empty()) name = run.scriptSha256.substr(0, 12);
  return name;
}

std::string DurationText(std::int64_t ms) {
  if (ms < 60000) return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
  const std::int64_t seconds = ms / 1000;
  if (seconds < 3600) return std::to_string(seconds / 60) + " min " + Two(seconds % 60) + " s";
  return std::to_string(seconds / 3600) + " h " + Two(seconds / 60 % 60) + " min";
}

std::string RunDuration(const RunRow& run) {
  if (!run.ended) return "-";
  const auto from = ParseLocalMs(run.started);
  const auto to = ParseLocalMs(*run.ended);
  if (!from || !to || *to < *from) return "?";
  return DurationText(*to - *from);
}

std::string RunVerdict(const RunRow& run) {
  if (!run.status) return run.ended ? "ended" : "not ended (running, or the runner was killed)";
  switch (*run.status) {
    case 0:
      return "passed";
    case 1:
      return "failed: negative or untrusted replies";
    case 2:
      return "failed: no answer or a port failure";
    case 3:
      return "refused: bad arguments or reports";
    case 4:
      return "cut short: standard output failed";
    case 129:
      return "cancelled (SIGHUP)";
    case 130:
      return "cancelled (SIGINT)";
    case 143:
      return "cancelled (SIGTERM)";
    default:
      return "exit status " + std::to_string(*run.status);
  }
}

}  // namespace kdx::results
