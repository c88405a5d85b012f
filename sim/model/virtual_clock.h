#pragma once

#include <cstdint>

#include "link/clock.h"

namespace kdx::sim {

// A clock that only moves when told to: sleeping advances it at once, and the
// in-process lines advance it to the next byte the device sends. A 12-second
// time-out thus costs no real time and its length can still be asserted.
class VirtualClock final : public Clock {
 public:
  std::int64_t nowMs() override { return now_; }
  std::uint32_t tickMs() override { return static_cast<std::uint32_t>(now_) + tickOffset_; }
  void sleepMs(std::int64_t ms) override {
    if (ms > 0) now_ += ms;
  }

  void advanceTo(std::int64_t t) {
    if (t > now_) now_ = t;
  }
  // Shifts the 32-bit tick counter, to put its wrap-around within reach.
  void setTickOffset(std::uint32_t offset) { tickOffset_ = offset; }

 private:
  std::int64_t now_ = 0;
  std::uint32_t tickOffset_ = 0;
};

}  // namespace kdx::sim
