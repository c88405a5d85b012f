#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>

namespace kdx {

// Exchanges counted by their time in whole milliseconds, for the median, p95
// and maximum of the runner's summary and of the results window: a burn-in's
// millions of exchanges take as much room as the distinct times among them.
class DurationCounts {
 public:
  void add(std::int64_t ms) {
    ++counts_[ms];
    ++total_;
  }

  // Nearest-rank percentile (0 to 100): the smallest time at or below which
  // `percent` % of the exchanges lie; nothing before the first exchange.
  std::optional<std::int64_t> percentileMs(int percent) const {
    if (total_ == 0) return std::nullopt;
    const std::int64_t rank = std::max<std::int64_t>(1, (total_ * percent + 99) / 100);
    std::int64_t seen = 0;
    for (const auto& [ms, count] : counts_) {
      seen += count;
      if (seen >= rank) return ms;
    }
    return counts_.rbegin()->first;
  }

 private:
  std::map<std::int64_t, std::int64_t> counts_;  // milliseconds -> exchanges
  std::int64_t total_ = 0;
};

}  // namespace kdx
