#include "link/traffic_csv.h"

namespace kdx {

namespace {

constexpr std::string_view kHeader =
    "No.,Time,Source,Command,Name,Reply,Detail,Status,Duration (ms),Sent,Received\r\n";

std::string SourceColumn(const TrafficRow& row) {
  std::string text(TrafficSourceText(row.source));
  if (!row.where.empty()) text += " " + row.where;
  return text;
}

}  // namespace

bool StartsLikeFormula(std::string_view text) {
  return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

std::string CsvField(std::string_view text) {
  const bool formula = StartsLikeFormula(text);
  if (!formula && text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  // A spreadsheet runs a cell that begins like a formula, even in quotes;
  // the apostrophe makes it text there.
  std::string field = formula ? "\"'" : "\"";
  for (char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

std::string TrafficCsv(const std::deque<TrafficRow>& rows) {
  std::string csv(kHeader);
  for (const TrafficRow& row : rows) {
    const std::string fields[] = {std::to_string(row.number),
                                  DateTimeText(row.time),
                                  SourceColumn(row),
                                  row.command,
                                  row.name,
                                  std::string(TrafficReplyText(row.reply)),
                                  row.detail,
                                  row.status,
                                  std::to_string(row.durationMs),
                                  HexBytes(row.sent),
                                  HexBytes(row.received)};
    bool first = true;
    for (const std::string& field : fields) {
      if (!first) csv += ',';
      first = false;
      csv += CsvField(field);
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace kdx
