#include "link/transaction.h"

#include <algorithm>

#include "link/exchange.h"
#include "link/frame.h"
#include "link/port_setup.h"

namespace kdx {

namespace {

constexpr const char* kContinuation = "\r\n       ";

constexpr ExchangeRules kExchangeRules{
    TrafficSource::Operation, {kAckWaitMs, kHeadWaitMs, kRestWaitMs, false}, kAfterEotWaitMs, true};

// The monitor lines of one exchange: the command line (its first
// `commandLength` bytes, once written), the device's ACK on a line of its
// own, then the head and the rest on one line that breaks after the 26th
// byte and every 25 after it; the host's ACK or EOT; up to two bytes that
// answered the EOT.
class MonitorLog final : public ExchangeLog {
 public:
  MonitorLog(Monitor& monitor, int commandLength)
      : monitor_(monitor), commandLength_(commandLength) {}
  void sent(ByteView frame, bool written) override {
    if (!written) return;
    const auto shown = static_cast<std::size_t>(
        std::clamp<int>(commandLength_, 0, static_cast<int>(frame.size())));
    monitor_.append(CommandMonitorLine(frame.first(shown)));
  }
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
  void control(std::uint8_t byte) override { monitor_.append("SD: " + HexByte(byte) + kCrLf); }
  void late(ByteView bytes) override {
    std::string text = "RD: ";
    for (std::size_t i = 0; i < std::min<std::size_t>(bytes.size(), 2); ++i)
      text += HexByte(bytes[i]) + ' ';
    monitor_.append(text);
  }

 private:
  Monitor& monitor_;
  int commandLength_;
};

// Whether the unit had yet to show that it is there when the exchange
// stopped: waiting for its ACK or reply head, or listening after the EOT.
bool Detecting(ExchangeStage stage) {
  return stage == ExchangeStage::Ack || stage == ExchangeStage::Head ||
         stage == ExchangeStage::AfterEot;
}

// The failure exit. While the unit has not yet shown that it is there, the
// failure says it was not detected. A port whose device is gone closes the
// link instead, and that box replaces the other: neither the unit nor the
// operator's data is to blame. The exchange's row was closed before, so its
// duration is the line's and not the operator's reading time.
int Fail(Session& s, ExchangeStage stage) {
  if (!DropLostLink(s)) ShowCaution(s.messages, Detecting(stage) ? kUnitNotDetected : kCheckData);
  s.monitor.append(kCrLf);
  s.monitor.revealEnd();
  return kExchangeFailed;
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
  MonitorLog log(session.monitor, commandLength);
  const ExchangeOutcome out = ExchangeFrame(session, command, kExchangeRules, log);
  if (out.end == TrafficEnd::NoReply) {
    replyCount = 0;
    return kExchangeNoReply;
  }
  if (out.stage == ExchangeStage::Done) {
    // A reply too long for the buffer still sets the count.
    const std::size_t size = CopyReply(out.reply, reply);
    replyCount = static_cast<std::int16_t>(std::min<std::size_t>(size, INT16_MAX));
  }
  return out.replied() ? kExchangeDone : Fail(session, out.stage);
}

}  // namespace kdx
