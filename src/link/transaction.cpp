#include "link/transaction.h"

#include <algorithm>

#include "link/frame.h"

namespace kdx {

namespace {

constexpr const char* kContinuation = "\r\n       ";

// One exchange's state: which failure message applies, and the monitor.
class Exchange {
 public:
  explicit Exchange(Session& s) : s_(s) {}

  int run(const Bytes& command, int commandLength, Bytes& reply, std::int16_t& replyCount);

 private:
  int fail() {
    ShowCaution(s_.messages, detecting_ ? kUnitNotDetected : kCheckData);
    s_.monitor.append(kCrLf);
    s_.monitor.revealEnd();
    return kExchangeFailed;
  }
  WaitResult waitFor(std::size_t count, std::int64_t limitMs) {
    return s_.line.waitForBytes(count, s_.clock.nowMs() + limitMs);
  }
  int eotPath(std::int16_t& replyCount);

  Session& s_;
  bool detecting_ = false;
};

int Exchange::run(const Bytes& command, int commandLength, Bytes& reply,
                  std::int16_t& replyCount) {
  SerialLine& line = s_.line;
  Monitor& monitor = s_.monitor;

  line.discardInput();
  line.discardOutput();
  if (!line.write(command)) return fail();
  const auto shown = static_cast<std::size_t>(std::clamp<int>(commandLength, 0, static_cast<int>(command.size())));
  monitor.append(CommandMonitorLine(ByteView(command).first(shown)));

  // The device's ACK. A missing one is not a failure by itself.
  detecting_ = true;
  Bytes got;
  switch (waitFor(1, kAckWaitMs)) {
    case WaitResult::Failed:
      return fail();
    case WaitResult::Ready:
      if (!line.read(1, got) || got.size() != 1) return fail();
      monitor.append("RD: " + HexByte(got[0]) + kCrLf);
      if (got[0] != kAck) return fail();
      break;
    case WaitResult::TimedOut:
      break;
  }

  // The reply head: STX, address, text length.
  switch (waitFor(4, kHeadWaitMs)) {
    case WaitResult::Failed:
      return fail();
    case WaitResult::TimedOut:
      return eotPath(replyCount);
    case WaitResult::Ready:
      break;
  }
  Bytes head;
  if (!line.read(4, head) || head.size() != 4) return fail();
  detecting_ = false;
  std::string replyLine = "RD: ";
  for (auto b : head) replyLine += HexByte(b) + ' ';
  monitor.append(replyLine);

  // The rest: the text, ETX and the check byte.
  const std::size_t expected = static_cast<std::size_t>(ReplyTextLength(head)) + 2;
  if (waitFor(expected, kRestWaitMs) != WaitResult::Ready) return fail();
  Bytes rest;
  if (!line.read(0, rest)) return fail();

  replyLine.clear();
  for (std::size_t i = 0; i < rest.size(); ++i) {
    replyLine += HexByte(rest[i]) + ' ';
    if ((i + 4) % 25 == 0 && i + 1 < rest.size()) replyLine += kContinuation;
  }
  replyLine += kCrLf;
  monitor.append(replyLine);

  if (!line.write(Bytes{kAck})) return fail();
  monitor.append("SD: 06\r\n");

  if (reply.size() < kReplyBufferSize) reply.resize(kReplyBufferSize);
  replyCount = static_cast<std::int16_t>(std::min<std::size_t>(rest.size(), INT16_MAX));
  std::copy_n(rest.begin(), std::min(rest.size(), reply.size()), reply.begin());
  if (rest.size() > kReplyBufferSize) return fail();
  return kExchangeDone;
}

int Exchange::eotPath(std::int16_t& replyCount) {
  if (!s_.line.write(Bytes{kEot})) return fail();
  s_.monitor.append("SD: 04\r\n");
  switch (waitFor(1, kAfterEotWaitMs)) {
    case WaitResult::Failed:
      return fail();
    case WaitResult::TimedOut:
      replyCount = 0;
      return kExchangeNoReply;
    case WaitResult::Ready:
      break;
  }
  Bytes late;
  if (!s_.line.read(0, late) || late.empty()) return fail();
  std::string text = "RD: ";
  for (std::size_t i = 0; i < std::min<std::size_t>(late.size(), 2); ++i) text += HexByte(late[i]) + ' ';
  s_.monitor.append(text);
  // A single byte after EOT is a device answering out of turn: the unit is
  // not the one we think, so report it as not detected.
  if (late.size() == 1) return fail();
  replyCount = 0;
  return kExchangeNoReply;
}

}  // namespace

std::string CommandMonitorLine(ByteView command) {
  std::string line = "SD: ";
  int counter = 1;
  for (auto b : command) {
    line += HexByte(b) + ' ';
    if (++counter % 25 == 0) {
      counter = 0;
      line += kContinuation;
    }
  }
  line += kCrLf;
  return line;
}

int ExecuteCommand(Session& session, const Bytes& command, int commandLength, Bytes& reply,
                   std::int16_t& replyCount) {
  if (!session.state.linkOpen) {
    ShowCaution(session.messages, kPortSetupFirst);
    return kExchangeDone;
  }
  return Exchange(session).run(command, commandLength, reply, replyCount);
}

}  // namespace kdx
