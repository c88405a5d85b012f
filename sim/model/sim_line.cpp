#include "model/sim_line.h"

#include <algorithm>

namespace kdx::sim {

void SimLine::attach(int port, DeviceModel& model, int baud) {
  ports_[port] = Port{&model, baud};
}

OpenResult SimLine::open(int port, int baud) {
  close();
  const auto err = openErrors_.find(port);
  if (err != openErrors_.end() && !err->second.ok()) return err->second;
  if (ports_.count(port) == 0) return {OpenError::NoSuchPort, {}, "no simulated unit on this port"};
  // A device taken away stays away until it is put back.
  if (gone_ && port == port_)
    return {OpenError::NoSuchPort, {}, "the simulated unit was unplugged"};
  open_ = true;
  port_ = port;
  baud_ = baud;
  input_.clear();
  // Whatever the device sent while nobody listened is lost.
  if (DeviceModel* model = listening()) model->takeOutput(clock_.nowMs());
  return {};
}

std::optional<PortFault> SimLine::fault() const {
  if (!open_ || !broken_) return std::nullopt;
  return PortFault{gone_, port_, {}, gone_ ? "Input/output error" : "port error"};
}

DeviceModel* SimLine::listening() {
  if (!open_) return nullptr;
  const auto it = ports_.find(port_);
  if (it == ports_.end() || it->second.baud != baud_) return nullptr;
  return it->second.model;
}

void SimLine::arrive(std::int64_t upToMs) {
  DeviceModel* model = listening();
  if (model == nullptr) return;
  while (const auto at = model->nextOutputAt()) {
    if (*at > upToMs) break;
    Bytes bytes = model->takeOutput(*at);
    traffic_.push_back({*at, false, bytes});
    input_.insert(input_.end(), bytes.begin(), bytes.end());
  }
}

void SimLine::discardInput() {
  arrive(clock_.nowMs());
  input_.clear();
}

std::size_t SimLine::bytesWaiting() {
  arrive(clock_.nowMs());
  return input_.size();
}

WaitResult SimLine::waitForBytes(std::size_t count, std::int64_t deadlineMs) {
  if (broken_ || !open_) return WaitResult::Failed;
  arrive(clock_.nowMs());
  while (input_.size() < count) {
    DeviceModel* model = listening();
    const auto next = model ? model->nextOutputAt() : std::nullopt;
    const std::int64_t until = next ? std::min(*next, deadlineMs) : deadlineMs;
    if (breakAtMs_ && *breakAtMs_ <= until) {
      clock_.advanceTo(*breakAtMs_);
      broken_ = true;
      gone_ = goneAtBreak_;
      return WaitResult::Failed;
    }
    if (!next || *next > deadlineMs) {
      clock_.advanceTo(deadlineMs);
      return WaitResult::TimedOut;
    }
    clock_.advanceTo(*next);
    arrive(clock_.nowMs());
  }
  return WaitResult::Ready;
}

bool SimLine::read(std::size_t count, Bytes& out) {
  if (broken_ || !open_) return false;
  arrive(clock_.nowMs());
  const std::size_t n = count == 0 ? input_.size() : std::min(count, input_.size());
  out.assign(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  return true;
}

bool SimLine::write(ByteView bytes) {
  if (broken_ || !open_) return false;
  arrive(clock_.nowMs());  // what was due before these bytes came first
  traffic_.push_back({clock_.nowMs(), true, Bytes(bytes.begin(), bytes.end())});
  if (DeviceModel* model = listening()) model->receive(bytes, clock_.nowMs());
  return true;
}

}  // namespace kdx::sim
