#include "link/clock.h"

#include <chrono>
#include <thread>

namespace kdx {

std::int64_t SteadyClock::nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::uint32_t SteadyClock::tickMs() {
  return static_cast<std::uint32_t>(nowMs());
}

void SteadyClock::sleepMs(std::int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void DelayMs(Clock& clock, std::int32_t ms) {
  if (ms <= 0) return;
  const std::uint32_t start = clock.tickMs();
  const auto wanted = static_cast<std::uint32_t>(ms);
  for (;;) {
    const std::uint32_t elapsed = clock.tickMs() - start;  // modulo 2^32
    if (elapsed >= wanted) return;
    clock.sleepMs(wanted - elapsed);
  }
}

}  // namespace kdx
