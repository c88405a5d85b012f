#include "chart_data.h"

#include <algorithm>
#include <cstdio>

#include "results_table.h"

namespace kdx::results {

TimeScale ScaleFor(std::int64_t spanMs) {
  if (spanMs <= 10 * 60 * 1000) return {"s", 1000.0};
  if (spanMs <= 10 * 60 * 60 * 1000) return {"min", 60000.0};
  return {"h", 3600000.0};
}

ExchangeTimeChart ExchangeTimes(const RunView& run, std::size_t maxPoints) {
  ExchangeTimeChart chart;
  chart.scale = ScaleFor(run.lastElapsedMs);
  const double unit = chart.scale.msPerUnit;
  const std::int64_t span = std::max<std::int64_t>(1, run.lastElapsedMs + 1);
  if (maxPoints == 0)
    maxPoints = std::max<std::size_t>(200, 6000 / std::max<std::size_t>(1, run.units.size()));
  for (const UnitView& u : run.units) {
    ExchangeTimeChart::Unit series;
    series.name = UnitName(u);
    const auto& points = u.stats.points;
    const auto point = [&](const ExchangePoint& p) {
      chart.maxX = std::max(chart.maxX, p.elapsedMs / unit);
      chart.maxY = std::max(chart.maxY, static_cast<double>(p.durationMs));
      return ChartPoint{p.elapsedMs / unit, static_cast<double>(p.durationMs)};
    };
    if (points.size() <= maxPoints) {
      for (const ExchangePoint& p : points) {
        series.line.push_back(point(p));
        if (p.failed) series.failures.push_back(point(p));
      }
    } else {
      chart.thinned = true;
      // The longest exchange and the longest failure of each interval.
      std::vector<const ExchangePoint*> longest(maxPoints, nullptr);
      std::vector<const ExchangePoint*> failure(maxPoints, nullptr);
      for (const ExchangePoint& p : points) {
        const auto at = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(maxPoints) - 1,
                                   p.elapsedMs * static_cast<std::int64_t>(maxPoints) / span));
        if (!longest[at] || p.durationMs > longest[at]->durationMs) longest[at] = &p;
        if (p.failed && (!failure[at] || p.durationMs > failure[at]->durationMs)) failure[at] = &p;
      }
      for (std::size_t i = 0; i < maxPoints; ++i) {
        // Both on the line, in time order.
        const ExchangePoint* first = longest[i];
        const ExchangePoint* second = failure[i] == longest[i] ? nullptr : failure[i];
        if (first && second && second->elapsedMs < first->elapsedMs) std::swap(first, second);
        if (first) series.line.push_back(point(*first));
        if (second) series.line.push_back(point(*second));
        if (failure[i]) series.failures.push_back(point(*failure[i]));
      }
    }
    chart.units.push_back(std::move(series));
  }
  return chart;
}

FailureBinChart FailureBins(const RunView& run, int bins) {
  FailureBinChart chart;
  bins = std::max(1, bins);
  chart.scale = ScaleFor(run.lastElapsedMs);
  const std::int64_t span = std::max<std::int64_t>(1, run.lastElapsedMs + 1);
  chart.binWidth = static_cast<double>(span) / bins / chart.scale.msPerUnit;
  for (int i = 0; i < bins; ++i) {
    char label[32];
    std::snprintf(label, sizeof label, "%.3g", i * chart.binWidth);
    chart.labels.emplace_back(label);
  }
  for (const UnitView& u : run.units) {
    FailureBinChart::Unit series{UnitName(u), std::vector<std::int64_t>(bins, 0)};
    for (const ExchangePoint& p : u.stats.points) {
      if (!p.failed) continue;
      const auto at = std::min<std::int64_t>(bins - 1, p.elapsedMs * bins / span);
      chart.maxCount = std::max(chart.maxCount, ++series.counts[static_cast<std::size_t>(at)]);
    }
    chart.units.push_back(std::move(series));
  }
  return chart;
}

}  // namespace kdx::results
