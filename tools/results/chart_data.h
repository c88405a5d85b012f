#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results_reader.h"

namespace kdx::results {

// What the charts draw, worked out without a toolkit: the chart code turns
// each of these into series and axes as they stand.

// The time axis's unit for a span of time: seconds, minutes or hours.
struct TimeScale {
  const char* unit = "s";
  double msPerUnit = 1000.0;
};
TimeScale ScaleFor(std::int64_t spanMs);

struct ChartPoint {
  double x = 0;
  double y = 0;
};

// Exchange time over the run's elapsed time, one series per unit, its
// failures (exchanges that were not positive) marked on it. A unit with
// more than `maxPoints` exchanges is thinned to the longest exchange (and
// the longest failure) of each of `maxPoints` equal intervals, each kept at
// its own time: the peaks and every interval with a failure stay visible.
// By default the run's units share 6000 points (at least 200 each): more
// than a chart's width in pixels would show nothing more and cost drawing.
struct ExchangeTimeChart {
  struct Unit {
    std::string name;
    std::vector<ChartPoint> line;      // x in scale units, y in ms
    std::vector<ChartPoint> failures;  // on the line's points
  };
  TimeScale scale;
  bool thinned = false;
  double maxX = 0;
  double maxY = 0;
  std::vector<Unit> units;
};
ExchangeTimeChart ExchangeTimes(const RunView& run, std::size_t maxPoints = 0);

// Failures per unit in `bins` equal intervals of the run's elapsed time.
struct FailureBinChart {
  TimeScale scale;
  double binWidth = 0;              // in scale units
  std::vector<std::string> labels;  // each interval's start ("0", "1.5", ...)
  struct Unit {
    std::string name;
    std::vector<std::int64_t> counts;
  };
  std::vector<Unit> units;
  std::int64_t maxCount = 0;
};
FailureBinChart FailureBins(const RunView& run, int bins = 20);

}  // namespace kdx::results
