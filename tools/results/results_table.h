#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "results_reader.h"

namespace kdx::results {

// The unit table's columns, as the window shows them and the CSV export
// writes them.
enum UnitColumn {
  kUnitNumber,
  kUnitSerial,
  kUnitPort,
  kUnitPasses,
  kUnitExchanges,
  kUnitNegative,
  kUnitNegativesByCode,
  kUnitNoAnswer,
  kUnitLinkFailures,
  kUnitMedianMs,
  kUnitP95Ms,
  kUnitMaxMs,
  kUnitFirstFailure,
  kUnitEnd,
  kUnitColumnCount
};

std::vector<std::string> UnitTableHeader();
// One unit's row: every cell as text, the same in the window and the CSV.
std::vector<std::string> UnitCells(const UnitView& unit, bool runEnded);
// What a column sorts by: the count or time for numeric columns, nothing
// for text columns (they sort by their text).
std::optional<double> UnitSortValue(const UnitView& unit, int column);
// Each negative code with the reply catalogue's text, one a line ("04
// Command data error x 12"); the untrusted replies by their kind.
std::string NegativesTip(const UnitStats& stats);
// The unit table as CSV (UTF-8, a header row, CR LF line ends, the traffic
// window's quoting and formula neutralising).
std::string UnitTableCsv(const RunView& run);

// A unit's name in charts and legends: its serial number, or its port.
std::string UnitName(const UnitView& unit);

// The run list's texts.
std::string RunScript(const RunRow& run);  // the script's file name, or its hash
std::string RunDuration(const RunRow& run);
std::string RunVerdict(const RunRow& run);
// "45.2 s", "12 min 05 s", "3 h 02 min".
std::string DurationText(std::int64_t ms);

}  // namespace kdx::results
