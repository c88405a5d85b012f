#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string_view>

#include "model/command_set.h"
#include "model/device_state.h"
#include "model/faults.h"
#include "model/frame_parser.h"

namespace kdx::sim {

// The KDX-846 as the line sees it: bytes in, bytes out on a clock. The host's
// bytes go in with the time they arrived; the device's answer comes out as
// bytes scheduled at times the caller drains (an in-process line on virtual
// time, or the pseudo-terminal server on real time).
//
// An exchange: a good command frame gets ACK after the latency and the reply
// frame after twice the latency; the device then waits for the host's ACK. An
// EOT from the host abandons the exchange and cancels what is not yet sent; a
// new frame does the same and starts a new exchange. A frame with a wrong
// check byte or layout gets NAK; a frame for another address gets nothing.
// Commands take effect when the frame is accepted, before the reply leaves.
class DeviceModel {
 public:
  DeviceModel();

  DeviceState& state() { return state_; }
  const DeviceState& state() const { return state_; }
  // Later command families register their handlers here.
  CommandSet& commands() { return commands_; }

  void setAddress(std::uint8_t address) { address_ = address; }
  std::uint8_t address() const { return address_; }
  void setFault(Fault fault) { fault_ = fault; }
  Fault fault() const { return fault_; }
  // Delay of the ACK; the reply follows one more latency later.
  void setLatencyMs(std::int64_t ms) { latencyMs_ = ms < 0 ? 0 : ms; }
  std::int64_t latencyMs() const { return latencyMs_; }
  // Seeds the bytes of the garbage fault, so that tests are repeatable.
  void setGarbageSeed(std::uint32_t seed) { random_.seed(seed); }

  // Bytes from the host that arrived at `nowMs`.
  void receive(ByteView bytes, std::int64_t nowMs);

  // When the next scheduled output is due, if any is pending.
  std::optional<std::int64_t> nextOutputAt() const;
  // Removes and returns, in order, every output due at or before `upToMs`.
  Bytes takeOutput(std::int64_t upToMs);
  // Forgets every output not yet taken.
  void dropOutput() { output_.clear(); }

  // Counters for tests and the traffic log.
  int commandsRun() const { return commandsRun_; }
  int exchangesCompleted() const { return completed_; }
  int exchangesAbandoned() const { return abandoned_; }
  bool awaitingHostAck() const { return awaitingAck_; }

  // Receives one line per frame or control byte the device read, for logs.
  std::function<void(std::string_view)> onTrace;

  static constexpr std::int64_t kDefaultLatencyMs = 5;

 private:
  void handleCommand(const HostInput& in, std::int64_t nowMs);
  void schedule(std::int64_t atMs, Bytes bytes) { output_.emplace(atMs, std::move(bytes)); }
  void trace(std::string_view what, const Bytes& raw);
  Bytes garbage();

  DeviceState state_;
  CommandSet commands_;
  FrameParser parser_;
  std::multimap<std::int64_t, Bytes> output_;  // equal times keep their order
  std::mt19937 random_{846};
  std::uint8_t address_ = 0;
  Fault fault_ = Fault::Off;
  std::int64_t latencyMs_ = kDefaultLatencyMs;
  bool awaitingAck_ = false;
  int commandsRun_ = 0;
  int completed_ = 0;
  int abandoned_ = 0;
};

}  // namespace kdx::sim
