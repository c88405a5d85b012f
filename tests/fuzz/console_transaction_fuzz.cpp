// The console transaction against whatever the device sends, whenever it
// sends it: one command line's exchange over a scripted line on virtual
// time, with a recording console window and a fixed local time.
//
// Input: flags, a byte for the port failure, one that moves the length the
// caller gives (a signed offset from the frame's size), one for the entries
// already in each list (four per unit), the command line (a length byte and
// the text), then the device's deliveries (see fuzz_input.h), timed from the
// moment the command is written.
//   flags bit 0    the link is closed
//   flags bits 1-2 the stop request: 1 "Stop", 2 "Cancel"
//   flags bit 3    the port fails after as many reads as the next byte says
//                  (0: at once)
// Each record is then taken as kdx846-run takes it: its kind, its JSON line
// and its text record.
#include <algorithm>

#include "console/command_line.h"
#include "console/list_layout.h"
#include "console_fakes.h"
#include "fuzz_input.h"
#include "link/frame.h"
#include "link_harness.h"
#include "run_output.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

// The longest an exchange may take: ACK, head and rest, or ACK, head and the
// wait after EOT.
constexpr std::int64_t kLongestMs = kConsoleLimits.ackMs + kConsoleLimits.headMs +
                                    std::max(kConsoleLimits.restMs, kConsoleAfterEotMs);

struct FixedTime final : LocalTimeSource {
  LocalTime now() override { return {2026, 12, 8, 9, 5, 3, 7}; }
};

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// "HH " groups from `pos` to the end: at least one and at most `most`, with
// " - " after the eighth of a line when `dash`.
bool HexGroups(std::string_view s, std::size_t pos, std::size_t most, bool dash) {
  std::size_t groups = 0;
  while (pos < s.size()) {
    if (pos + 3 > s.size() || !IsHex(s[pos]) || !IsHex(s[pos + 1]) || s[pos + 2] != ' ')
      return false;
    pos += 3;
    ++groups;
    if (dash && groups == 8) {
      if (s.substr(pos, 3) != " - ") return false;
      pos += 3;
    }
  }
  return groups >= 1 && groups <= most;
}

// A traffic entry: empty, a control byte ("SD: 04"), or up to 25 bytes
// after "SD: ", "RD: " or the four blanks of a continuation.
bool TrafficShape(std::string_view e) {
  if (e.empty()) return true;
  if (e.size() < 6) return false;
  const std::string_view head = e.substr(0, 4);
  const bool marked = head == "SD: " || head == "RD: ";
  if (!marked && head != "    ") return false;
  if (marked && e.size() == 6) return IsHex(e[4]) && IsHex(e[5]);
  return HexGroups(e, 4, 25, false);
}

// A history entry: a rule, the time stamp, a type or codes line, data
// lines, the failure line or an empty entry.
bool HistoryShape(std::string_view e, std::string_view stamp) {
  if (e.empty() || e == kCommandRule || e == kReplyRule || e == stamp || e == kNoData ||
      e == "Reply type=<Positive reply>" || e == "Reply type=<Negative reply>" ||
      e == "Reply type='ReplyTimeout'" || e == "Reply type='User Stop'" ||
      e == "ExecuteCommand failed: 6h")
    return true;
  if (e.starts_with("Command:")) {
    // "Command:43h,  Parameter:31h", for a reply with up to three status
    // characters after " Status code:".
    if (e.size() < 27 || !IsHex(e[8]) || !IsHex(e[9]) || e.substr(10, 14) != "h,  Parameter:" ||
        !IsHex(e[24]) || !IsHex(e[25]) || e[26] != 'h')
      return false;
    const std::string_view tail = e.substr(27);
    return tail.empty() || (tail.starts_with(" Status code:") && tail.size() <= 13 + 3);
  }
  if (e.starts_with("Data(Hex):")) return HexGroups(e, 10, 16, true);
  for (std::size_t indent : {7, 10}) {
    if (e.size() > indent && e.find_first_not_of(' ') == indent)
      return HexGroups(e, indent, 16, true);
  }
  return false;
}

bool Closed(const Bytes& frame) {
  std::uint8_t bcc = 0;
  for (std::uint8_t b : frame) bcc ^= b;
  return frame.size() >= 6 && frame[0] == kStx && frame[frame.size() - 2] == kEtx && bcc == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  const std::uint8_t flags = in.byte();
  const std::uint8_t failAfter = in.byte();
  const auto lengthOffset = static_cast<std::int8_t>(in.byte());
  const std::size_t prefill = in.byte() * 4u;
  const ParsedLine parsed = ParseCommandLine(in.text(255));
  const auto deliveries = ReadDeliveries(in);

  test::LinkHarness h;
  h.state.linkOpen = (flags & 1) == 0;
  test::FakeConsoleView view;
  ConsoleState state;
  state.stop = static_cast<StopRequest>((flags >> 1) & 3);
  if ((flags >> 1 & 3) == 3) state.stop = StopRequest::None;
  FixedTime time;
  const std::string stamp = TimeStamp(time.now());
  std::vector<ExchangeRecord> records;
  ConsoleContext c{h.session, state,   view,
                   time,      nullptr, [&](const ExchangeRecord& r) { records.push_back(r); }};
  view.history.assign(prefill, "old");
  view.traffic.assign(prefill, "old");

  Bytes frame = BuildConsoleFrame(0, parsed.text);
  const int length = static_cast<int>(frame.size()) + lengthOffset;
  h.line.onWrite = [&](int index, const Bytes&) {
    if (index != 0) return;
    std::int64_t at = 0;
    for (const auto& d : deliveries) h.line.deliverIn(at += d.delayMs, d.bytes);
  };
  if (flags & 8) {
    if (failAfter == 0)
      h.line.breakLine();
    else
      h.line.breakAfterReads(failAfter);
  }

  Bytes reply;
  int replyLength = -7;
  const int result = ConsoleTransaction(c, frame, length, reply, replyLength);
  const auto& writes = h.line.writes();
  const auto& boxes = h.messages.boxes;

  KDX_FUZZ_CHECK(result == kConsoleDone || result == kConsoleFailed || result == kConsoleStopped);
  KDX_FUZZ_CHECK(h.clock.nowMs() <= kLongestMs);
  for (const auto& box : boxes) KDX_FUZZ_CHECK(IsUtf8(box.title) && IsUtf8(box.text));
  if (!h.state.linkOpen) {
    KDX_FUZZ_CHECK(result == kConsoleDone && replyLength == 0 && writes.empty());
    KDX_FUZZ_CHECK(records.empty() && boxes.size() == 1 && boxes[0].text == kPortSetupFirst);
    KDX_FUZZ_CHECK(view.history.size() == prefill && view.traffic.size() == prefill);
    return 0;
  }

  // Each exchange is reported once, with the end the result says.
  KDX_FUZZ_CHECK(records.size() == 1);
  const ExchangeRecord& r = records[0];
  KDX_FUZZ_CHECK(r.stamp == stamp);
  switch (r.end) {
    case ExchangeEnd::Positive:
    case ExchangeEnd::Negative:
    case ExchangeEnd::Other:
      KDX_FUZZ_CHECK(result == kConsoleDone && boxes.empty());
      KDX_FUZZ_CHECK(replyLength >= 0 && static_cast<std::size_t>(replyLength) <= kReplyBufferSize);
      KDX_FUZZ_CHECK(r.reply.size() == static_cast<std::size_t>(replyLength));
      KDX_FUZZ_CHECK(std::equal(r.reply.begin(), r.reply.end(), reply.begin()));
      KDX_FUZZ_CHECK(writes.size() == 2 && writes[1].bytes == Bytes{kAck});
      KDX_FUZZ_CHECK((r.end == ExchangeEnd::Positive) == (!r.reply.empty() && r.reply[0] == 'P'));
      break;
    case ExchangeEnd::NoAck:
    case ExchangeEnd::Failed:
      KDX_FUZZ_CHECK(result == kConsoleFailed && boxes.size() == 1);
      KDX_FUZZ_CHECK(writes.size() <= 2 && r.reply.empty());
      break;
    case ExchangeEnd::NoHead:
      KDX_FUZZ_CHECK(result == kConsoleStopped && boxes.size() == 1 && replyLength == 0);
      KDX_FUZZ_CHECK(writes.size() == 2 && writes[1].bytes == Bytes{kEot});
      break;
    case ExchangeEnd::Stopped:
      KDX_FUZZ_CHECK(state.stop == StopRequest::Stop && writes.empty());
      KDX_FUZZ_CHECK(result == kConsoleStopped && boxes.size() == 1 && replyLength == 0);
      break;
    case ExchangeEnd::Cancelled:
      KDX_FUZZ_CHECK(state.stop == StopRequest::Cancel && r.sent == Bytes{kEot});
      // EOT alone, unless the port failed before anything could be written.
      KDX_FUZZ_CHECK(writes.size() == 1 ? writes[0].bytes == Bytes{kEot}
                                        : writes.empty() && (flags & 8) && failAfter == 0);
      KDX_FUZZ_CHECK(result == kConsoleStopped && boxes.size() == 1 && replyLength == 0);
      break;
    case ExchangeEnd::LinkClosed:
      KDX_FUZZ_CHECK(false);
  }
  if (state.stop == StopRequest::None) {
    // The frame went out as given, closed with ETX and its check byte; only
    // a port that failed at once wrote nothing.
    if (writes.empty())
      KDX_FUZZ_CHECK(r.end == ExchangeEnd::NoAck && (flags & 8) && failAfter == 0);
    else
      KDX_FUZZ_CHECK(writes[0].bytes == r.sent);
    KDX_FUZZ_CHECK(r.sent.size() == static_cast<std::size_t>(std::max(length, 6)));
    KDX_FUZZ_CHECK(Closed(r.sent));
  }

  // Full lists were emptied first; every entry added has its shape.
  for (auto* list : {&view.history, &view.traffic}) {
    const std::size_t kept = prefill > 500 ? 0 : prefill;
    KDX_FUZZ_CHECK(list->size() >= kept);
    for (std::size_t i = 0; i < kept; ++i) KDX_FUZZ_CHECK((*list)[i] == "old");
  }
  const std::size_t firstNew = prefill > 500 ? 0 : prefill;
  for (std::size_t i = firstNew; i < view.traffic.size(); ++i)
    KDX_FUZZ_CHECK(TrafficShape(view.traffic[i]));
  for (std::size_t i = firstNew; i < view.history.size(); ++i)
    KDX_FUZZ_CHECK(HistoryShape(view.history[i], stamp));
  KDX_FUZZ_CHECK(view.receivedBuffer.empty() || TrafficShape(view.receivedBuffer));

  // The runner's record: a positive kind only for a reply it can trust, and
  // every byte received at the end of each line.
  const run::ReplyVerdict verdict = run::Classify(r);
  if (verdict.kind == run::ReplyKind::Positive) {
    KDX_FUZZ_CHECK(r.end == ExchangeEnd::Positive && r.reply.size() >= 8);
    KDX_FUZZ_CHECK(CheckByteMatches(r.outcome.head, r.reply));
    KDX_FUZZ_CHECK(r.sent.size() < 7 || (r.reply[1] == r.sent[5] && r.reply[2] == r.sent[6]));
  }
  const std::string received = HexBytes(r.outcome.received());
  KDX_FUZZ_CHECK(run::ExchangeJson(r, 1, 1).ends_with(",\"received\":\"" + received + "\"}"));
  const std::string text = run::ExchangeText(r);
  KDX_FUZZ_CHECK(text.starts_with(std::string("Result: ") + run::KindName(verdict.kind)));
  KDX_FUZZ_CHECK(text.ends_with("received: " + (received.empty() ? "nothing" : received)));
  return 0;
}
