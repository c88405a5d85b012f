#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "link/session_file.h"
#include "model/device_model.h"
#include "model/frame_parser.h"

namespace kdx::sim {

// A recorded unit played back: a command frame equal to a recorded one is
// answered with that exchange's device bytes at their recorded offsets (or at
// once without timing); the bytes that came after the host's ACK or EOT in
// the recording go out once the host sends its control byte. Each frame takes
// the next recording of that same frame not yet used; after the last, the
// last again. A frame never recorded gets silence, or the device model's
// answer when one is given as the fallback. A new frame, or an EOT, drops
// what the previous exchange had not sent yet, as the unit does.
class ReplayUnit {
 public:
  ReplayUnit(std::vector<SessionExchange> exchanges, bool timing, DeviceModel* fallback);

  void receive(ByteView bytes, std::int64_t nowMs);
  std::optional<std::int64_t> nextOutputAt() const;
  Bytes takeOutput(std::int64_t upToMs);

  // One line for each frame: which recorded exchange answered it, or that
  // none did.
  std::function<void(std::string_view)> onTrace;

  // Frames answered from the recording, and frames that had none.
  int answered() const { return answered_; }
  int unrecorded() const { return unrecorded_; }

 private:
  void frame(const HostInput& in, std::int64_t nowMs);
  void control(std::uint8_t byte, std::int64_t nowMs);
  void trace(const std::string& line) {
    if (onTrace) onTrace(line);
  }

  std::vector<SessionExchange> exchanges_;
  bool timing_;
  DeviceModel* fallback_;
  FrameParser parser_;
  // The recordings of each frame, in file order, and how many were used.
  std::map<Bytes, std::vector<std::size_t>> byFrame_;
  std::map<Bytes, std::size_t> used_;
  std::multimap<std::int64_t, Bytes> output_;
  // The exchange under way: its device bytes after the host's control byte,
  // with their offsets from that byte.
  std::vector<TimedBytes> afterHost_;
  bool modelExchange_ = false;
  int answered_ = 0;
  int unrecorded_ = 0;
};

}  // namespace kdx::sim
