#include "model/frame_parser.h"

namespace kdx::sim {

std::vector<HostInput> FrameParser::feed(ByteView bytes, std::int64_t nowMs) {
  std::vector<HostInput> out;
  if (!frame_.empty() && nowMs - lastByteMs_ > kGapMs) frame_.clear();  // stopped short
  if (!bytes.empty()) lastByteMs_ = nowMs;

  for (const std::uint8_t b : bytes) {
    if (frame_.empty()) {
      if (b == kStx) {
        frame_.push_back(b);
        expected_ = 0;
      } else if (b == kAck || b == kEot) {
        HostInput in;
        in.kind = HostInput::Kind::Control;
        in.control = b;
        in.raw = {b};
        out.push_back(std::move(in));
      }
      continue;
    }
    frame_.push_back(b);
    if (frame_.size() == 4) {
      const std::size_t textLength = frame_[2] * 256u + frame_[3];
      if (textLength > kMaxTextLength) {
        HostInput in;
        in.kind = HostInput::Kind::Broken;
        in.address = frame_[1];
        in.raw = std::move(frame_);
        in.why = "length too large";
        out.push_back(std::move(in));
        frame_.clear();
        continue;
      }
      expected_ = textLength + 6;
    }
    if (expected_ != 0 && frame_.size() == expected_) finish(out);
  }
  return out;
}

void FrameParser::finish(std::vector<HostInput>& out) {
  HostInput in;
  in.address = frame_[1];
  const std::size_t textLength = frame_.size() - 6;
  std::uint8_t bcc = 0;
  for (std::size_t i = 0; i + 1 < frame_.size(); ++i) bcc ^= frame_[i];

  if (bcc != frame_.back()) {
    in.kind = HostInput::Kind::Broken;
    in.why = "wrong check byte";
  } else if (textLength < 3 || frame_[4] != kCommandMarker || frame_[frame_.size() - 2] != kEtx) {
    in.kind = HostInput::Kind::Broken;
    in.why = "broken layout";
  } else {
    in.kind = HostInput::Kind::Command;
    in.command.code = frame_[5];
    in.command.parameter = frame_[6];
    in.command.data.assign(frame_.begin() + 7, frame_.end() - 2);
  }
  in.raw = std::move(frame_);
  frame_.clear();
  expected_ = 0;
  out.push_back(std::move(in));
}

}  // namespace kdx::sim
