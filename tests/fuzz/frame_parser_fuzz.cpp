// The simulator's reading of the host's byte stream, on arbitrary bytes and
// gaps.
//
// Input: pieces, each: the gap before it in units of 4 ms (one byte, so a
// gap can pass the parser's 200 ms limit), a byte count (one byte), the
// bytes.
#include "fuzz_input.h"
#include "model/frame_parser.h"

using namespace kdx::fuzz;
using kdx::sim::FrameParser;
using kdx::sim::HostInput;

namespace {

std::uint8_t Bcc(const kdx::Bytes& frame) {
  std::uint8_t bcc = 0;
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) bcc ^= frame[i];
  return bcc;
}

// What each kind of input must look like, checked from the raw bytes.
void CheckInput(const HostInput& in) {
  const kdx::Bytes& raw = in.raw;
  switch (in.kind) {
    case HostInput::Kind::Control:
      KDX_FUZZ_CHECK(raw.size() == 1 && raw[0] == in.control);
      KDX_FUZZ_CHECK(in.control == kdx::sim::kAck || in.control == kdx::sim::kEot);
      return;
    case HostInput::Kind::Broken:
      KDX_FUZZ_CHECK(raw.size() >= 4 && raw[0] == kdx::sim::kStx && !in.why.empty());
      KDX_FUZZ_CHECK(in.address == raw[1]);
      return;
    case HostInput::Kind::Command: {
      KDX_FUZZ_CHECK(raw.size() >= 9 && raw[0] == kdx::sim::kStx && in.address == raw[1]);
      KDX_FUZZ_CHECK(raw[2] * 256u + raw[3] == raw.size() - 6);
      KDX_FUZZ_CHECK(raw[4] == 'C' && raw[raw.size() - 2] == kdx::sim::kEtx);
      KDX_FUZZ_CHECK(Bcc(raw) == raw.back());
      KDX_FUZZ_CHECK(in.command.code == raw[5] && in.command.parameter == raw[6]);
      KDX_FUZZ_CHECK(in.command.data == kdx::Bytes(raw.begin() + 7, raw.end() - 2));
      return;
    }
  }
  KDX_FUZZ_CHECK(false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  FrameParser pieces;
  std::vector<HostInput> seen;
  kdx::Bytes all;
  bool gapped = false;
  std::int64_t now = 0;
  std::int64_t lastByte = 0;
  while (!in.empty()) {
    const std::int64_t gap = in.byte() * 4;
    const kdx::Bytes bytes = in.bytes(in.byte());
    now += gap;
    if (now - lastByte > FrameParser::kGapMs) gapped = true;
    if (!bytes.empty()) lastByte = now;
    for (auto& input : pieces.feed(bytes, now)) seen.push_back(std::move(input));
    all.insert(all.end(), bytes.begin(), bytes.end());
  }

  std::size_t consumed = 0;
  for (const auto& input : seen) {
    CheckInput(input);
    consumed += input.raw.size();
  }
  KDX_FUZZ_CHECK(consumed <= all.size());

  // Without a gap long enough to drop a frame, how the bytes were split
  // into pieces changes nothing.
  if (!gapped) {
    FrameParser whole;
    const auto once = whole.feed(all, 0);
    KDX_FUZZ_CHECK(once.size() == seen.size());
    for (std::size_t i = 0; i < once.size(); ++i) {
      KDX_FUZZ_CHECK(once[i].kind == seen[i].kind && once[i].raw == seen[i].raw);
    }
    KDX_FUZZ_CHECK(whole.inFrame() == pieces.inFrame());
  }
  return 0;
}
