#include "model/replay_unit.h"

#include <algorithm>
#include <string>

namespace kdx::sim {

ReplayUnit::ReplayUnit(std::vector<SessionExchange> exchanges, bool timing, DeviceModel* fallback)
    : exchanges_(std::move(exchanges)), timing_(timing), fallback_(fallback) {
  for (std::size_t i = 0; i < exchanges_.size(); ++i) {
    // A cancel's lone EOT is not a frame a host sends to be answered.
    const Bytes& sent = exchanges_[i].sent;
    if (sent.size() >= 6 && sent[0] == kStx) byFrame_[sent].push_back(i);
  }
}

void ReplayUnit::receive(ByteView bytes, std::int64_t nowMs) {
  for (const HostInput& in : parser_.feed(bytes, nowMs)) {
    if (in.kind == HostInput::Kind::Control) {
      control(in.control, nowMs);
    } else {
      frame(in, nowMs);
    }
  }
}

void ReplayUnit::frame(const HostInput& in, std::int64_t nowMs) {
  output_.clear();
  afterHost_.clear();
  modelExchange_ = false;
  const auto found = byFrame_.find(in.raw);
  if (found == byFrame_.end()) {
    ++unrecorded_;
    if (fallback_) {
      trace("frame " + HexBytes(in.raw) + " was never recorded: the device model answers");
      fallback_->dropOutput();
      modelExchange_ = true;
      fallback_->receive(in.raw, nowMs);
    } else {
      trace("frame " + HexBytes(in.raw) + " was never recorded: no answer");
    }
    return;
  }
  ++answered_;
  if (fallback_) fallback_->dropOutput();
  const std::vector<std::size_t>& list = found->second;
  std::size_t& used = used_[in.raw];
  const std::size_t index = list[std::min(used, list.size() - 1)];
  const bool again = used >= list.size();
  if (!again) ++used;
  const SessionExchange& x = exchanges_[index];
  std::string which = "answered by recorded exchange " + std::to_string(x.number);
  if (x.line > 0)
    which += " (pass " + std::to_string(x.pass) + ", line " + std::to_string(x.line) + ")";
  if (again) which += ", its last recording again";
  which += ": " + x.outcome;
  trace("frame " + HexBytes(in.raw) + " " + which);
  // Bytes that came after the host's ACK or EOT wait for it.
  const std::size_t before = x.host.empty() ? x.received.size() : x.host.front().after;
  const std::int64_t hostMs = x.host.empty() ? 0 : x.host.front().ms;
  for (std::size_t i = 0; i < x.received.size(); ++i) {
    const TimedBytes& part = x.received[i];
    if (i < before) {
      output_.emplace(nowMs + (timing_ ? part.ms : 0), part.bytes);
    } else {
      afterHost_.push_back({std::max<std::int64_t>(part.ms - hostMs, 0), part.bytes});
    }
  }
}

void ReplayUnit::control(std::uint8_t byte, std::int64_t nowMs) {
  if (modelExchange_ && fallback_) {
    fallback_->receive(ByteView(&byte, 1), nowMs);
    return;
  }
  // EOT abandons what the unit had not sent yet.
  if (byte == kEot) output_.clear();
  for (const TimedBytes& part : afterHost_)
    output_.emplace(nowMs + (timing_ ? part.ms : 0), part.bytes);
  afterHost_.clear();
}

std::optional<std::int64_t> ReplayUnit::nextOutputAt() const {
  std::optional<std::int64_t> next;
  if (!output_.empty()) next = output_.begin()->first;
  if (fallback_) {
    if (const auto model = fallback_->nextOutputAt(); model && (!next || *model < *next))
      next = model;
  }
  return next;
}

Bytes ReplayUnit::takeOutput(std::int64_t upToMs) {
  Bytes out;
  while (!output_.empty() && output_.begin()->first <= upToMs) {
    const Bytes& part = output_.begin()->second;
    out.insert(out.end(), part.begin(), part.end());
    output_.erase(output_.begin());
  }
  if (fallback_) {
    const Bytes model = fallback_->takeOutput(upToMs);
    out.insert(out.end(), model.begin(), model.end());
  }
  return out;
}

}  // namespace kdx::sim
