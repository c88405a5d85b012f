#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/control.h"

namespace kdx::sim {

// Noise written on the line out of turn at a steady rate, as from a wrong
// device on the port or a line picking up interference. What the host does
// not take in time (the terminal's buffer full) is dropped, as a real line
// drops it.
class LineFlood {
 public:
  LineFlood();

  // Starts (or, with a rate or time of 0, stops) a flood at `nowMs`.
  void start(const FloodRequest& request, std::int64_t nowMs);
  bool active() const { return rate_ > 0; }
  // Writes on `fd` (non-blocking) what is due by `nowMs`. Returns a line to
  // log once the flood has ended, else an empty text.
  std::string pump(int fd, std::int64_t nowMs);
  // How long the server may sleep before the next piece is due.
  static constexpr int kStepMs = 10;

 private:
  std::vector<std::uint8_t> noise_;
  std::int64_t rate_ = 0;
  std::int64_t startMs_ = 0;
  std::int64_t endMs_ = 0;
  std::int64_t written_ = 0;
  std::int64_t dropped_ = 0;
};

}  // namespace kdx::sim
