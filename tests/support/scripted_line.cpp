#include "scripted_line.h"

#include <algorithm>

namespace kdx::test {

void ScriptedLine::deliverIn(std::int64_t delayMs, Bytes bytes) {
  scheduled_.emplace(clock_.nowMs() + delayMs, std::move(bytes));
}

OpenResult ScriptedLine::open(int port, int baud) {
  close();
  ++opens_;
  port_ = port;
  baud_ = baud;
  const OpenError result = onOpen ? onOpen(port, baud) : openResult;
  open_ = result == OpenError::None;
  return {result, path, open_ ? std::string() : openReason};
}

std::optional<PortFault> ScriptedLine::fault() const {
  if (!broken_) return std::nullopt;
  return PortFault{gone_, port_, path, reason_};
}

void ScriptedLine::arrive(std::int64_t upTo) {
  while (!scheduled_.empty() && scheduled_.begin()->first <= upTo) {
    const Bytes& b = scheduled_.begin()->second;
    input_.insert(input_.end(), b.begin(), b.end());
    scheduled_.erase(scheduled_.begin());
  }
}

void ScriptedLine::discardInput() {
  arrive(clock_.nowMs());
  input_.clear();
}

std::size_t ScriptedLine::bytesWaiting() {
  arrive(clock_.nowMs());
  return input_.size();
}

WaitResult ScriptedLine::waitForBytes(std::size_t count, std::int64_t deadlineMs) {
  if (broken_) return WaitResult::Failed;
  arrive(clock_.nowMs());
  while (input_.size() < count) {
    if (scheduled_.empty() || scheduled_.begin()->first > deadlineMs) {
      clock_.advanceTo(deadlineMs);
      return WaitResult::TimedOut;
    }
    clock_.advanceTo(scheduled_.begin()->first);
    arrive(clock_.nowMs());
  }
  return WaitResult::Ready;
}

bool ScriptedLine::read(std::size_t count, Bytes& out) {
  if (broken_) return false;
  arrive(clock_.nowMs());
  const std::size_t n = count == 0 ? input_.size() : std::min(count, input_.size());
  out.assign(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  if (readsUntilBreak_ > 0 && --readsUntilBreak_ == 0) fail(goneAtBreak_, "Input/output error");
  return true;
}

bool ScriptedLine::write(ByteView bytes) {
  if (broken_) return false;
  writes_.push_back({clock_.nowMs(), Bytes(bytes.begin(), bytes.end())});
  if (onWrite) onWrite(static_cast<int>(writes_.size()) - 1, writes_.back().bytes);
  return true;
}

}  // namespace kdx::test
