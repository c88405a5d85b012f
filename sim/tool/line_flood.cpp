#include "tool/line_flood.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace kdx::sim {

namespace {

constexpr std::size_t kNoiseBytes = 64 * 1024;

}  // namespace

LineFlood::LineFlood() : noise_(kNoiseBytes) {
  // Fixed pseudo-random bytes (xorshift): noise, and the same in every run.
  std::uint32_t x = 2463534242u;
  for (auto& b : noise_) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }
}

void LineFlood::start(const FloodRequest& request, std::int64_t nowMs) {
  rate_ = request.seconds > 0 ? request.bytesPerSecond : 0;
  startMs_ = nowMs;
  endMs_ = nowMs + std::int64_t{request.seconds} * 1000;
  written_ = dropped_ = 0;
}

std::string LineFlood::pump(int fd, std::int64_t nowMs) {
  if (!active()) return {};
  const std::int64_t until = std::min(nowMs, endMs_);
  const std::int64_t due = rate_ * (until - startMs_) / 1000 - written_ - dropped_;
  std::int64_t left = due;
  while (left > 0) {
    const auto piece = static_cast<std::size_t>(std::min<std::int64_t>(left, kNoiseBytes));
    const ssize_t n = ::write(fd, noise_.data(), piece);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the terminal is full: the host is not reading
    written_ += n;
    left -= n;
  }
  dropped_ += std::max<std::int64_t>(left, 0);
  if (nowMs < endMs_) return {};
  rate_ = 0;
  return "flood ended: " + std::to_string(written_) + " bytes written, " +
         std::to_string(dropped_) + " dropped (the host did not take them)";
}

}  // namespace kdx::sim
