// The command transaction against whatever the device sends, whenever it
// sends it: ExecuteCommand over a scripted line on virtual time.
//
// Input: flags, a byte for the port failure, a byte for the monitor length
// and one for the caller's buffer, then the device's deliveries (see
// fuzz_input.h), timed from the moment the command is written.
//   flags bit 0  the link is closed
//   flags bit 1  the port fails after as many reads as the next byte says
//                (0: at once)
//   flags bit 2  the monitor shows a command length of that byte - 128
//   flags bit 3  the caller's reply buffer has that byte's size, not 1025
#include "fuzz_input.h"
#include "link/frame.h"
#include "link_harness.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

// The longest an exchange may take: ACK, head, rest, and the wait after EOT.
constexpr std::int64_t kLongestExchangeMs =
    kAckWaitMs + kHeadWaitMs + kRestWaitMs + kAfterEotWaitMs;
constexpr std::int16_t kUntouched = 0x5A5A;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  const std::uint8_t flags = in.byte();
  const std::uint8_t failAfter = in.byte();
  const std::uint8_t lengthByte = in.byte();
  const std::uint8_t bufferByte = in.byte();
  const auto deliveries = ReadDeliveries(in);

  test::LinkHarness h;
  h.state.linkOpen = (flags & 1) == 0;
  const Bytes command = BuildCommand(0, '1', '0');
  const int commandLength = (flags & 4) ? lengthByte - 128 : static_cast<int>(command.size());
  Bytes reply((flags & 8) ? bufferByte : kReplyBufferSize, 0xEE);
  h.line.onWrite = [&](int index, const Bytes&) {
    if (index != 0) return;
    std::int64_t at = 0;
    for (const auto& d : deliveries) h.line.deliverIn(at += d.delayMs, d.bytes);
  };
  if (flags & 2) {
    if (failAfter == 0)
      h.line.breakLine();
    else
      h.line.breakAfterReads(failAfter);
  }

  std::int16_t count = kUntouched;
  const int result = ExecuteCommand(h.session, command, commandLength, reply, count);
  const auto& writes = h.line.writes();
  const auto& boxes = h.messages.boxes;

  KDX_FUZZ_CHECK(result == kExchangeDone || result == kExchangeFailed ||
                 result == kExchangeNoReply);
  KDX_FUZZ_CHECK(h.clock.nowMs() <= kLongestExchangeMs);
  if (!h.state.linkOpen) {
    KDX_FUZZ_CHECK(result == kExchangeDone && count == kUntouched && writes.empty());
    KDX_FUZZ_CHECK(boxes.size() == 1 && boxes[0].text == kPortSetupFirst);
    KDX_FUZZ_CHECK(h.monitor.text().empty());
    return 0;
  }
  // One command, then at most the host's ACK or EOT.
  KDX_FUZZ_CHECK(writes.size() <= 2);
  if (!writes.empty()) KDX_FUZZ_CHECK(writes[0].bytes == command);
  const bool acked = writes.size() == 2 && writes[1].bytes == Bytes{kAck};
  const bool eot = writes.size() == 2 && writes[1].bytes == Bytes{kEot};
  switch (result) {
    case kExchangeDone:
      KDX_FUZZ_CHECK(boxes.empty() && acked);
      KDX_FUZZ_CHECK(count >= 2 && static_cast<std::size_t>(count) <= kReplyBufferSize);
      KDX_FUZZ_CHECK(reply.size() >= kReplyBufferSize);
      KDX_FUZZ_CHECK(h.monitor.text().ends_with("SD: 06\r\n"));
      break;
    case kExchangeNoReply:
      KDX_FUZZ_CHECK(boxes.empty() && eot && count == 0);
      break;
    case kExchangeFailed:
      // One caution box; the count is set only for a reply too long for the
      // buffer, which was acknowledged.
      KDX_FUZZ_CHECK(boxes.size() == 1 && boxes[0].title == kCaution);
      KDX_FUZZ_CHECK(boxes[0].text == kUnitNotDetected || boxes[0].text == kCheckData);
      KDX_FUZZ_CHECK(count == kUntouched ||
                     (acked && static_cast<std::size_t>(count) > kReplyBufferSize));
      KDX_FUZZ_CHECK(h.monitor.text().ends_with("\r\n"));
      break;
  }
  // The monitor holds hex pairs, blanks, the line prefixes and line ends.
  for (char c : h.monitor.text()) {
    KDX_FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == ' ' || c == ':' ||
                   c == 'S' || c == 'R' || c == 'D' || c == '\r' || c == '\n');
  }
  return 0;
}
