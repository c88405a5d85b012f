#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "link/traffic.h"

namespace kdx {

// Whether a spreadsheet would take a cell beginning with `text` for a
// formula: it starts with "=", "+", "-", "@", a tab or CR.
bool StartsLikeFormula(std::string_view text);

// One CSV field as RFC 4180 writes it: in double quotes, with each quote
// doubled, when it holds a comma, a quote, CR or LF; as it is otherwise.
// A field that starts like a formula is quoted with an apostrophe before
// its text, so that a spreadsheet shows the text instead of running it
// (device replies end up in these fields).
std::string CsvField(std::string_view text);

// The rows as CSV text: a header record, then one record per row, every
// record ended by CR LF; UTF-8. Columns: number, date and time, source,
// command, name, reply, detail, status, duration in milliseconds, and the
// bytes each side sent in hex.
std::string TrafficCsv(const std::deque<TrafficRow>& rows);

}  // namespace kdx
