#include "console/console_transaction.h"

#include <algorithm>

#include "console/list_layout.h"
#include "link/frame.h"
#include "link/transaction.h"

namespace kdx {

namespace {

constexpr std::size_t kListLimit = 500;
constexpr std::string_view kStopText = "Stop communication process";
constexpr std::string_view kCancelText = "Cancel communication process";
constexpr std::string_view kCommunicationError =
    "Communication Error\r\nPossible Causes:\r\n1)Communication Setup Error\r\n"
    "2)Wrong Address Selected\r\n3)No connected\r\n4)No Power On Unit";

// Writes the traffic lines of a reply as each part arrives: the ACK on a
// line of its own, then the head and the rest on lines of 25 bytes.
class TrafficLog final : public ReceiveLog {
 public:
  explicit TrafficLog(ConsoleView& view) : view_(view) {}
  void ack(std::uint8_t byte) override { add(TrafficControlLine("RD: ", byte)); }
  void head(ByteView head) override {
    pending_.assign(head.begin(), head.end());
    view_.showBuiltLine(LineBuffer::Received, TrafficByteLines("RD: ", pending_).back());
  }
  void rest(ByteView arrived) override {
    pending_.insert(pending_.end(), arrived.begin(), arrived.end());
    flush();
  }
  // Adds what is held of a reply that stopped short.
  void flush() {
    if (pending_.empty()) return;
    for (const auto& line : TrafficByteLines("RD: ", pending_)) add(line);
    pending_.clear();
  }
  void add(std::string_view line) {
    view_.showBuiltLine(LineBuffer::Received, line);
    view_.addEntry(ConsoleList::Traffic, line);
  }

 private:
  ConsoleView& view_;
  Bytes pending_;
};

class Exchange {
 public:
  Exchange(ConsoleContext& c, Bytes& reply, int& replyLength)
      : c_(c),
        view_(c.view),
        reply_(reply),
        replyLength_(replyLength),
        traffic_(c.view),
        notes_(c.session.traffic, &traffic_) {}

  int run(Bytes& frame, int length);

 private:
  // History entries; the data lines (those beginning "Data(Hex):" and their
  // indented continuations) are built in the sent-line buffer first.
  void addHistory(const Entries& lines) {
    for (const auto& line : lines) {
      if (line.rfind("Data(Hex):", 0) == 0 || (!line.empty() && line[0] == ' '))
        view_.showBuiltLine(LineBuffer::Sent, line);
      view_.addEntry(ConsoleList::History, line);
    }
  }
  void caution(std::string_view text) { ShowCaution(c_.session.messages, text); }
  void report(ExchangeEnd end) {
    record_.end = end;
    if (c_.onExchange) c_.onExchange(record_);
  }
  // Ends the highlight of the current line and the pass's position.
  void endLine() {
    view_.highlightLine(-1);
    c_.state.currentLine = 0;
  }
  int stopped();
  int cancelled();
  int noAck(TrafficEnd end);
  int noHead();
  int failed(TrafficEnd end);
  // Sends EOT and logs it, and any byte that answers within 3 s. `alone`:
  // the EOT is the exchange itself (a cancel), not the end of one.
  void sendEot(bool alone);

  ConsoleContext& c_;
  ConsoleView& view_;
  Bytes& reply_;
  int& replyLength_;
  TrafficLog traffic_;
  // The session's traffic rows, beside the console's own lists.
  TrafficNotes notes_;
  ExchangeRecord record_;
};

int Exchange::run(Bytes& frame, int length) {
  SerialLine& line = c_.session.line;
  for (ConsoleList list : {ConsoleList::History, ConsoleList::Traffic}) {
    if (view_.entryCount(list) > kListLimit) view_.clearList(list);
  }
  if (c_.processEvents) c_.processEvents();
  record_.time = c_.time.now();
  record_.stamp = TimeStamp(record_.time);
  if (c_.state.stop == StopRequest::Stop) return stopped();
  if (c_.state.stop == StopRequest::Cancel) return cancelled();

  length = std::max(length, 6);
  if (frame.size() < static_cast<std::size_t>(length))
    frame.resize(static_cast<std::size_t>(length));
  const auto size = static_cast<std::size_t>(length);
  frame[size - 2] = kEtx;
  frame[size - 1] = ComputeBccRange(frame, length - 2);
  const ByteView sent = ByteView(frame).first(size);
  record_.sent.assign(sent.begin(), sent.end());

  line.discardInput();
  line.discardOutput();
  notes_.sent(TrafficSource::Console, sent);
  const bool written = line.write(sent);
  for (const auto& entry : TrafficByteLines("SD: ", sent)) traffic_.add(entry);
  addHistory(CommandSection(sent, size, record_.stamp));
  if (!written) return noAck(TrafficEnd::PortError);

  const Received received = ReceiveReply(line, c_.session.clock, kConsoleLimits, &notes_);
  switch (received.stoppedAt) {
    case ReceiveStage::Ack:
      return noAck(received.portError ? TrafficEnd::PortError
                   : received.ack     ? TrafficEnd::NotAck
                                      : TrafficEnd::NoAck);
    case ReceiveStage::Head:
      return received.portError ? failed(TrafficEnd::PortError) : noHead();
    case ReceiveStage::Rest:
      traffic_.flush();
      return failed(received.portError ? TrafficEnd::PortError : TrafficEnd::Incomplete);
    case ReceiveStage::Done:
      break;
  }
  if (!line.write(Bytes{kAck})) return failed(TrafficEnd::PortError);
  notes_.control(kAck);
  traffic_.add(TrafficControlLine("SD: ", kAck));

  const Bytes& rest = received.rest;
  if (rest.size() > kReplyBufferSize) return failed(TrafficEnd::TooLong);
  notes_.end(TrafficEnd::Reply);
  if (reply_.size() < kReplyBufferSize) reply_.resize(kReplyBufferSize);
  std::copy(rest.begin(), rest.end(), reply_.begin());
  replyLength_ = static_cast<int>(rest.size());
  record_.reply = rest;
  addHistory(ReplySection(rest, rest.size(), TimeStamp(c_.time.now())));
  view_.addEntry(ConsoleList::Traffic, "");
  view_.selectLastEntry(ConsoleList::History);
  view_.selectLastEntry(ConsoleList::Traffic);
  report(rest.empty()     ? ExchangeEnd::Other
         : rest[0] == 'P' ? ExchangeEnd::Positive
         : rest[0] == 'N' ? ExchangeEnd::Negative
                          : ExchangeEnd::Other);
  return kConsoleDone;
}

int Exchange::stopped() {
  addHistory(ReplyTypeSection("Reply type='User Stop'", record_.stamp));
  view_.addEntry(ConsoleList::History, "");
  view_.addEntry(ConsoleList::History, "");
  view_.selectLastEntry(ConsoleList::History);
  report(ExchangeEnd::Stopped);
  endLine();
  replyLength_ = 0;
  view_.addEntry(ConsoleList::Traffic, "");
  view_.selectLastEntry(ConsoleList::Traffic);
  caution(kStopText);
  return kConsoleStopped;
}

int Exchange::cancelled() {
  record_.sent = Bytes{kEot};
  notes_.sent(TrafficSource::Console, record_.sent);
  sendEot(true);
  notes_.end(TrafficEnd::Cancelled);
  report(ExchangeEnd::Cancelled);
  endLine();
  replyLength_ = 0;
  caution(kCancelText);
  return kConsoleStopped;
}

void Exchange::sendEot(bool alone) {
  SerialLine& line = c_.session.line;
  line.write(Bytes{kEot});
  if (!alone) notes_.control(kEot);
  traffic_.add(TrafficControlLine("SD: ", kEot));
  if (line.waitForBytes(1, c_.session.clock.nowMs() + kConsoleAfterEotMs) != WaitResult::Ready)
    return;
  Bytes late;
  if (line.read(0, late) && !late.empty()) {
    notes_.late(late);
    traffic_.add(TrafficControlLine("RD: ", late[0]));
  }
}

int Exchange::noAck(TrafficEnd end) {
  notes_.end(end);
  addHistory(ReplyTypeSection("Reply type='ReplyTimeout'", TimeStamp(c_.time.now())));
  view_.addEntry(ConsoleList::History, "");
  view_.addEntry(ConsoleList::History, "ExecuteCommand failed: 6h");
  report(ExchangeEnd::NoAck);
  caution(kCommunicationError);
  view_.addEntry(ConsoleList::History, "");
  view_.addEntry(ConsoleList::History, "");
  view_.selectLastEntry(ConsoleList::History);
  return kConsoleFailed;
}

int Exchange::noHead() {
  sendEot(false);
  notes_.end(TrafficEnd::NoReply);
  replyLength_ = 0;
  report(ExchangeEnd::NoHead);
  caution(kStopText);
  return kConsoleStopped;
}

int Exchange::failed(TrafficEnd end) {
  notes_.end(end);
  report(ExchangeEnd::Failed);
  caution(kCheckData);
  view_.addEntry(ConsoleList::History, "");
  view_.addEntry(ConsoleList::History, "");
  view_.selectLastEntry(ConsoleList::History);
  return kConsoleFailed;
}

}  // namespace

int ConsoleTransaction(ConsoleContext& c, Bytes& frame, int length, Bytes& reply,
                       int& replyLength) {
  if (!c.session.state.linkOpen) {
    ShowCaution(c.session.messages, kPortSetupFirst);
    replyLength = 0;
    return kConsoleDone;
  }
  return Exchange(c, reply, replyLength).run(frame, length);
}

}  // namespace kdx
