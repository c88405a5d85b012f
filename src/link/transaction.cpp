#include "link/transaction.h"

#include <algorithm>

#include "link/frame.h"
#include "link/port_setup.h"
#include "link/receive.h"

namespace kdx {

namespace {

constexpr const char* kContinuation = "\r\n       ";

// The monitor lines of a reply: the device's ACK on a line of its own, then
// the head and the rest on one line that breaks after the 26th byte and
// every 25 after it.
class MonitorLog final : public ReceiveLog {
 public:
  explicit MonitorLog(Monitor& monitor) : monitor_(monitor) {}
  void ack(std::uint8_t byte) override { monitor_.append("RD: " + HexByte(byte) + kCrLf); }
  void head(ByteView head) override {
    std::string line = "RD: ";
    for (auto b : head) line += HexByte(b) + ' ';
    monitor_.append(line);
  }
  void rest(ByteView rest) override {
    std::string line;
    for (std::size_t i = 0; i < rest.size(); ++i) {
      line += HexByte(rest[i]) + ' ';
      if ((i + 4) % 25 == 0 && i + 1 < rest.size()) line += kContinuation;
    }
    line += kCrLf;
    monitor_.append(line);
  }

 private:
  Monitor& monitor_;
};

constexpr ReceiveLimits kExchangeLimits{kAckWaitMs, kHeadWaitMs, kRestWaitMs, false};

// One exchange's state: which failure message applies, and the monitor.
class Exchange {
 public:
  explicit Exchange(Session& s) : s_(s), monitorLog_(s.monitor), notes_(s.traffic, &monitorLog_) {}

  int run(const Bytes& command, int commandLength, Bytes& reply, std::int16_t& replyCount);

 private:
  // The failure exit. While the unit has not yet shown that it is there (no
  // reply head read), the failure says it was not detected. A port whose
  // device is gone closes the link instead, and that box replaces the other:
  // neither the unit nor the operator's data is to blame.
  // The exchange's row is closed before any box, so its duration is the
  // line's and not the operator's reading time.
  int fail(bool detecting, TrafficEnd end) {
    notes_.end(end);
    if (!DropLostLink(s_)) ShowCaution(s_.messages, detecting ? kUnitNotDetected : kCheckData);
    s_.monitor.append(kCrLf);
    s_.monitor.revealEnd();
    return kExchangeFailed;
  }
  int eotPath(std::int16_t& replyCount);

  Session& s_;
  MonitorLog monitorLog_;
  TrafficNotes notes_;
};

int Exchange::run(const Bytes& command, int commandLength, Bytes& reply, std::int16_t& replyCount) {
  SerialLine& line = s_.line;
  line.discardInput();
  line.discardOutput();
  notes_.sent(TrafficSource::Operation, command);
  if (!line.write(command)) return fail(false, TrafficEnd::PortError);
  const auto shown =
      static_cast<std::size_t>(std::clamp<int>(commandLength, 0, static_cast<int>(command.size())));
  s_.monitor.append(CommandMonitorLine(ByteView(command).first(shown)));

  const Received received = ReceiveReply(line, s_.clock, kExchangeLimits, &notes_);
  switch (received.stoppedAt) {
    case ReceiveStage::Ack:
      return fail(true, received.portError ? TrafficEnd::PortError : TrafficEnd::NotAck);
    case ReceiveStage::Head:
      // A head that never came (no port error) is answered with EOT.
      return received.portError ? fail(true, TrafficEnd::PortError) : eotPath(replyCount);
    case ReceiveStage::Rest:
      return fail(false, received.portError ? TrafficEnd::PortError : TrafficEnd::Incomplete);
    case ReceiveStage::Done:
      break;
  }

  if (!line.write(Bytes{kAck})) return fail(false, TrafficEnd::PortError);
  notes_.control(kAck);
  s_.monitor.append("SD: 06\r\n");

  const Bytes& rest = received.rest;
  if (reply.size() < kReplyBufferSize) reply.resize(kReplyBufferSize);
  replyCount = static_cast<std::int16_t>(std::min<std::size_t>(rest.size(), INT16_MAX));
  std::copy_n(rest.begin(), std::min(rest.size(), reply.size()), reply.begin());
  if (rest.size() > kReplyBufferSize) return fail(false, TrafficEnd::TooLong);
  notes_.end(TrafficEnd::Reply);
  return kExchangeDone;
}

int Exchange::eotPath(std::int16_t& replyCount) {
  // Detection is on again while looking at what follows the EOT.
  if (!s_.line.write(Bytes{kEot})) return fail(true, TrafficEnd::PortError);
  notes_.control(kEot);
  s_.monitor.append("SD: 04\r\n");
  switch (s_.line.waitForBytes(1, s_.clock.nowMs() + kAfterEotWaitMs)) {
    case WaitResult::Failed:
      return fail(true, TrafficEnd::PortError);
    case WaitResult::TimedOut:
      notes_.end(TrafficEnd::NoReply);
      replyCount = 0;
      return kExchangeNoReply;
    case WaitResult::Ready:
      break;
  }
  Bytes late;
  if (!s_.line.read(0, late) || late.empty()) return fail(true, TrafficEnd::PortError);
  notes_.late(late);
  std::string text = "RD: ";
  for (std::size_t i = 0; i < std::min<std::size_t>(late.size(), 2); ++i)
    text += HexByte(late[i]) + ' ';
  s_.monitor.append(text);
  // A single byte after EOT is a device answering out of turn: the unit is
  // not the one we think, so report it as not detected.
  if (late.size() == 1) return fail(true, TrafficEnd::StrayAfterEot);
  notes_.end(TrafficEnd::NoReply);
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
