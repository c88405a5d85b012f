#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/command_set.h"

namespace kdx::sim {

using ByteView = std::span<const std::uint8_t>;

inline constexpr std::uint8_t kStx = 0xF2;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kEot = 0x04;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kCommandMarker = 'C';

// One thing the host sent, as the device sees it.
struct HostInput {
  enum class Kind {
    Command,  // a well-formed frame: `address` and `command` are set
    Broken,   // wrong check byte or layout: `why` says which
    Control,  // a single ACK or EOT between frames: `control`
  };
  Kind kind = Kind::Command;
  std::uint8_t address = 0;
  Command command;
  std::uint8_t control = 0;
  Bytes raw;  // the frame's bytes (or the control byte)
  std::string why;
};

// The device's own reading of the host's byte stream: STX, address, length,
// "C", command, parameter, data, ETX, check byte. It collects a frame by its
// length field and only then judges it, so that a bad check byte or layout
// is answered once the frame is over. Bytes between frames other than ACK
// and EOT are line noise and ignored. A frame that stops short is dropped
// when a silence longer than kGapMs follows, so the next frame is read
// cleanly; a length field above kMaxTextLength is judged broken at once.
class FrameParser {
 public:
  static constexpr std::int64_t kGapMs = 200;
  static constexpr std::size_t kMaxTextLength = 2048;

  // Feeds bytes that arrived at `nowMs`; returns the inputs they complete.
  std::vector<HostInput> feed(ByteView bytes, std::int64_t nowMs);
  bool inFrame() const { return !frame_.empty(); }

 private:
  void finish(std::vector<HostInput>& out);

  Bytes frame_;
  std::size_t expected_ = 0;  // whole frame length once the head is in
  std::int64_t lastByteMs_ = 0;
};

}  // namespace kdx::sim
