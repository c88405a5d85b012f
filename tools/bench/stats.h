#pragma once

#include <string>
#include <vector>

namespace kdx::bench {

// Nearest-rank percentile of `samples` (any order), `percent` from 0 to 100.
// Empty input yields 0.
double Percentile(std::vector<double> samples, double percent);

inline double Median(const std::vector<double>& samples) {
  return Percentile(samples, 50);
}

// "PASS" or "MISS".
inline const char* Verdict(bool pass) {
  return pass ? "PASS" : "MISS";
}

// Monotonic time (std::chrono::steady_clock) in nanoseconds.
long long NowNs();

// CPU time (user + system) of this process so far, in nanoseconds.
long long ProcessCpuNs();

}  // namespace kdx::bench
