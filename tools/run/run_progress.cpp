#include "run_progress.h"

#include <algorithm>

#ifndef _WIN32
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace kdx::run {

namespace {

std::string Elapsed(std::int64_t ms) {
  const std::int64_t seconds = std::max<std::int64_t>(ms, 0) / 1000;
  const auto two = [](std::int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return std::to_string(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

std::size_t TerminalWidth(std::FILE* out) {
#ifndef _WIN32
  winsize size{};
  if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col;
#else
  (void)out;
#endif
  return 80;
}

}  // namespace

ProgressSink::ProgressSink(std::FILE* out, Clock& clock, std::int32_t passes,
                           std::optional<std::int64_t> durationMs)
    : out_(out), clock_(clock), passes_(passes), durationMs_(durationMs) {}

std::string ProgressSink::StatusLine(const Unit& u, std::int32_t passes, std::int64_t elapsedMs,
                                     std::optional<std::int64_t> durationMs) {
  std::string line = u.port;
  if (!u.serial.empty()) line += " " + u.serial;
  if (u.ended) {
    line += "  " + std::to_string(u.passesDone) + " passes  ended: " + *u.ended;
  } else {
    line += "  pass " + std::to_string(u.passesDone + 1);
    if (!durationMs) line += "/" + std::to_string(passes);
    line += "  " + Elapsed(elapsedMs);
    if (durationMs) line += " (" + Elapsed(*durationMs - elapsedMs) + " left)";
  }
  return line + "  " + std::to_string(u.exchanges) + " exchanges  " + std::to_string(u.negative) +
         " negative  " + std::to_string(u.noAnswer) + " no answer  " +
         std::to_string(u.linkFailures) + " link failures";
}

void ProgressSink::runStarted(const RunInfo& info) {
  startedMs_ = clock_.nowMs();
  units_.clear();
  for (const UnitIdentity& identity : info.units) {
    Unit unit;
    unit.port = identity.port;
    units_.push_back(std::move(unit));
  }
  draw();
}

void ProgressSink::unitStarted(const UnitIdentity& identity) {
  units_.at(static_cast<std::size_t>(identity.unit - 1)).serial = identity.serial;
}

void ProgressSink::exchange(const ExchangeRow& row) {
  Unit& u = units_.at(static_cast<std::size_t>(row.unit - 1));
  switch (GroupOf(row.verdict.kind)) {
    case ReplyGroup::NotCounted:
      return;
    case ReplyGroup::Positive:
      break;
    case ReplyGroup::Negative:
      ++u.negative;
      break;
    case ReplyGroup::NoAnswer:
      ++u.noAnswer;
      break;
    case ReplyGroup::LinkFailure:
      ++u.linkFailures;
      break;
  }
  ++u.exchanges;
}

void ProgressSink::passEnded(int unit, int pass) {
  units_.at(static_cast<std::size_t>(unit - 1)).passesDone = pass;
}

void ProgressSink::unitEnded(const UnitEnd& end) {
  units_.at(static_cast<std::size_t>(end.unit - 1)).ended = end.reason.value_or("done");
}

void ProgressSink::refresh() {
  if (clock_.nowMs() - drawnMs_ < kIntervalMs) return;
  erase();
  draw();
}

void ProgressSink::print(const std::string& line) {
  erase();
  std::fputs(line.c_str(), out_);
  draw();
}

// Up to the first status line, and everything below it cleared.
void ProgressSink::erase() {
  if (drawnLines_ > 0) std::fprintf(out_, "\r\033[%dA\033[J", drawnLines_);
  drawnLines_ = 0;
  std::fflush(out_);
}

void ProgressSink::draw() {
  drawnMs_ = clock_.nowMs();
  // A line as wide as the terminal would wrap and throw the count of lines
  // to go back up off.
  const std::size_t width = TerminalWidth(out_) - 1;
  for (const Unit& u : units_) {
    std::string line = StatusLine(u, passes_, drawnMs_ - startedMs_, durationMs_);
    if (line.size() > width) line.resize(width);
    std::fputs((line + "\n").c_str(), out_);
  }
  drawnLines_ = static_cast<int>(units_.size());
  std::fflush(out_);
}

}  // namespace kdx::run
