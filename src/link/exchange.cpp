#include "link/exchange.h"

#include <algorithm>

#include "link/frame.h"

namespace kdx {

namespace {

class Exchange {
 public:
  Exchange(Session& s, const ExchangeRules& rules, ExchangeLog& log)
      : line_(s.line), clock_(s.clock), rules_(rules), log_(log), notes_(s.traffic, &log) {}

  ExchangeOutcome run(ByteView frame);

 private:
  // Ends the exchange: the log hears it first, then its traffic row closes.
  ExchangeOutcome finish(ExchangeStage stage, TrafficEnd end) {
    out_.stage = stage;
    out_.end = end;
    out_.fault = line_.fault();
    log_.finished(out_);
    notes_.end(end);
    return std::move(out_);
  }
  void control(std::uint8_t byte) {
    notes_.control(byte);
    log_.control(byte);
  }
  ExchangeOutcome afterEot();

  SerialLine& line_;
  Clock& clock_;
  const ExchangeRules& rules_;
  ExchangeLog& log_;
  TrafficNotes notes_;
  ExchangeOutcome out_;
};

ExchangeOutcome Exchange::run(ByteView frame) {
  line_.discardInput();
  line_.discardOutput();
  notes_.sent(rules_.source, frame);
  const bool written = line_.write(frame);
  log_.sent(frame, written);
  if (!written) return finish(ExchangeStage::Send, TrafficEnd::PortError);

  Received received = ReceiveReply(line_, clock_, rules_.receive, &notes_);
  out_.ack = received.ack;
  out_.head = std::move(received.head);
  switch (received.stoppedAt) {
    case ReceiveStage::Ack:
      return finish(ExchangeStage::Ack, received.portError ? TrafficEnd::PortError
                                        : received.ack     ? TrafficEnd::NotAck
                                                           : TrafficEnd::NoAck);
    case ReceiveStage::Head:
      // A head that never came (no port error) is answered with EOT.
      if (received.portError) return finish(ExchangeStage::Head, TrafficEnd::PortError);
      return afterEot();
    case ReceiveStage::Rest:
      if (received.portError) return finish(ExchangeStage::Rest, TrafficEnd::PortError);
      if (line_.bytesWaiting() > 0) line_.read(0, out_.partial);
      return finish(ExchangeStage::Rest, TrafficEnd::Incomplete);
    case ReceiveStage::Done:
      break;
  }
  out_.reply = std::move(received.rest);
  out_.trailing = std::move(received.trailing);
  if (!line_.write(Bytes{kAck})) return finish(ExchangeStage::Confirm, TrafficEnd::PortError);
  control(kAck);
  return finish(ExchangeStage::Done,
                out_.reply.size() > kReplyBufferSize ? TrafficEnd::TooLong : TrafficEnd::Reply);
}

ExchangeOutcome Exchange::afterEot() {
  const bool strict = rules_.strictEot;
  // Without an answer the exchange ends with no reply; a strict caller takes
  // a port error here as the exchange's failure.
  const TrafficEnd failed = strict ? TrafficEnd::PortError : TrafficEnd::NoReply;
  if (!line_.write(Bytes{kEot}) && strict)
    return finish(ExchangeStage::AfterEot, TrafficEnd::PortError);
  control(kEot);
  switch (line_.waitForBytes(1, clock_.nowMs() + rules_.afterEotMs)) {
    case WaitResult::Failed:
      return finish(ExchangeStage::AfterEot, failed);
    case WaitResult::TimedOut:
      return finish(ExchangeStage::AfterEot, TrafficEnd::NoReply);
    case WaitResult::Ready:
      break;
  }
  if (!line_.read(0, out_.late) || out_.late.empty())
    return finish(ExchangeStage::AfterEot, failed);
  notes_.late(out_.late);
  log_.late(out_.late);
  // A single byte after EOT is a device answering out of turn: the unit is
  // not the one we think.
  if (strict && out_.late.size() == 1)
    return finish(ExchangeStage::AfterEot, TrafficEnd::StrayAfterEot);
  return finish(ExchangeStage::AfterEot, TrafficEnd::NoReply);
}

}  // namespace

Bytes ExchangeOutcome::received() const {
  Bytes all;
  if (ack) all.push_back(*ack);
  for (const Bytes* part : {&head, &reply, &trailing, &partial, &late})
    all.insert(all.end(), part->begin(), part->end());
  return all;
}

ExchangeOutcome ExchangeFrame(Session& session, ByteView frame, const ExchangeRules& rules,
                              ExchangeLog& log) {
  return Exchange(session, rules, log).run(frame);
}

std::size_t CopyReply(ByteView reply, Bytes& buffer) {
  if (buffer.size() < kReplyBufferSize) buffer.resize(kReplyBufferSize);
  std::copy_n(reply.begin(), std::min(reply.size(), buffer.size()), buffer.begin());
  return reply.size();
}

}  // namespace kdx
