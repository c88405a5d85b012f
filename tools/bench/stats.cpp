#include "stats.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kdx::bench {

double Percentile(std::vector<double> samples, double percent) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  // Nearest rank: the smallest sample with at least `percent` % of the
  // samples at or below it.
  const double rank = std::ceil(percent / 100.0 * static_cast<double>(samples.size()));
  const auto index =
      static_cast<std::size_t>(std::clamp(rank, 1.0, static_cast<double>(samples.size())));
  return samples[index - 1];
}

long long NowNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

long long ProcessCpuNs() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  auto ns = [](const timeval& t) {
    return static_cast<long long>(t.tv_sec) * 1'000'000'000 +
           static_cast<long long>(t.tv_usec) * 1000;
  };
  return ns(usage.ru_utime) + ns(usage.ru_stime);
}

}  // namespace kdx::bench
