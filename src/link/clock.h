#pragma once

#include <cstdint>

namespace kdx {

// Monotonic time as the link sees it. Real runs use SteadyClock; tests use a
// virtual clock so that a 12-second time-out costs no real time.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic scale; only differences mean anything.
  virtual std::int64_t nowMs() = 0;
  // The system's 32-bit millisecond tick counter, which wraps around.
  virtual std::uint32_t tickMs() = 0;
  // Blocks the caller for `ms` milliseconds (the operating system waits).
  virtual void sleepMs(std::int64_t ms) = 0;
};

class SteadyClock final : public Clock {
 public:
  std::int64_t nowMs() override;
  std::uint32_t tickMs() override;
  void sleepMs(std::int64_t ms) override;
};

// Returns after at least `ms` milliseconds have passed on the tick counter.
// Differences are taken modulo 2^32, so the counter's wrap-around neither ends
// the wait early nor makes it last forever. Waits by sleeping, never spinning.
void DelayMs(Clock& clock, std::int32_t ms);

}  // namespace kdx
