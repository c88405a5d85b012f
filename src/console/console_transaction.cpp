#include "console/console_transaction.h"

#include <algorithm>

#include "console/list_layout.h"
#include "link/exchange.h"
#include "link/frame.h"

namespace kdx {

namespace {

constexpr std::size_t kListLimit = 500;
constexpr std::string_view kStopText = "Stop communication process";
constexpr std::string_view kCancelText = "Cancel communication process";
constexpr std::string_view kCommunicationError =
    "Communication Error\r\nPossible Causes:\r\n1)Communication Setup Error\r\n"
    "2)Wrong Address Selected\r\n3)No connected\r\n4)No Power On Unit";

constexpr ExchangeRules kConsoleRules{TrafficSource::Console, kConsoleLimits, kConsoleAfterEotMs,
                                      false};

// One command line: its exchange, logged in both lists as it happens, and
// its reporting.
class Exchange final : public ExchangeLog {
 public:
  Exchange(ConsoleContext& c, Bytes& reply, int& replyLength)
      : c_(c), view_(c.view), reply_(reply), replyLength_(replyLength) {}

  int run(Bytes& frame, int length);

  // The traffic lines as each part goes out or arrives: the frame (even when
  // the port refused it) and the command section, the ACK on a line of its
  // own, the head and the rest on lines of 25 bytes, the host's ACK or EOT,
  // the first byte that answered an EOT.
  void sent(ByteView frame, bool) override {
    for (const auto& entry : TrafficByteLines("SD: ", frame)) add(entry);
    addHistory(CommandSection(frame, frame.size(), record_.stamp));
  }
  void ack(std::uint8_t byte) override { add(TrafficControlLine("RD: ", byte)); }
  void head(ByteView head) override {
    pending_.assign(head.begin(), head.end());
    view_.showBuiltLine(LineBuffer::Received, TrafficByteLines("RD: ", pending_).back());
  }
  void rest(ByteView arrived) override {
    pending_.insert(pending_.end(), arrived.begin(), arrived.end());
    flush();
  }
  void control(std::uint8_t byte) override { add(TrafficControlLine("SD: ", byte)); }
  void late(ByteView bytes) override { add(TrafficControlLine("RD: ", bytes[0])); }
  // A reply that stopped short still shows what came of it.
  void finished(const ExchangeOutcome&) override { flush(); }

 private:
  void flush() {
    if (pending_.empty()) return;
    for (const auto& line : TrafficByteLines("RD: ", pending_)) add(line);
    pending_.clear();
  }
  void add(std::string_view line) {
    view_.showBuiltLine(LineBuffer::Received, line);
    view_.addEntry(ConsoleList::Traffic, line);
  }
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
  // The box of an exchange that ended short. A port whose device is gone
  // closes the link, and the box that names it replaces this one.
  void cautionUnlessLost(std::string_view text) {
    if (!DropLostLink(c_.session, c_.lostPortAdvice)) caution(text);
  }
  void report(ExchangeEnd end) {
    record_.end = end;
    if (c_.onExchange) c_.onExchange(record_);
  }
  // Two empty history entries end a section that says why a line stopped.
  void closeHistory() {
    view_.addEntry(ConsoleList::History, "");
    view_.addEntry(ConsoleList::History, "");
    view_.selectLastEntry(ConsoleList::History);
  }
  // Ends the highlight of the current line and the pass's position.
  void endLine() {
    view_.highlightLine(-1);
    c_.state.currentLine = 0;
  }
  int replied(const Bytes& reply);
  int stopped();
  int cancelled();
  int noAck();
  int noHead();
  int failed();

  ConsoleContext& c_;
  ConsoleView& view_;
  Bytes& reply_;
  int& replyLength_;
  Bytes pending_;  // the reply's head and rest until its lines are added
  ExchangeRecord record_;
};

int Exchange::run(Bytes& frame, int length) {
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

  record_.outcome = ExchangeFrame(c_.session, sent, kConsoleRules, *this);
  const ExchangeOutcome& out = record_.outcome;
  switch (out.stage) {
    case ExchangeStage::Send:
    case ExchangeStage::Ack:
      return noAck();
    case ExchangeStage::AfterEot:
      return noHead();
    default:
      return out.replied() ? replied(out.reply) : failed();
  }
}

int Exchange::replied(const Bytes& rest) {
  replyLength_ = static_cast<int>(CopyReply(rest, reply_));
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
  closeHistory();
  report(ExchangeEnd::Stopped);
  endLine();
  replyLength_ = 0;
  view_.addEntry(ConsoleList::Traffic, "");
  view_.selectLastEntry(ConsoleList::Traffic);
  caution(kStopText);
  return kConsoleStopped;
}

// EOT goes out instead of the command, as the exchange itself; a byte that
// answers it within 3 s is logged.
int Exchange::cancelled() {
  SerialLine& line = c_.session.line;
  TrafficNotes notes(c_.session.traffic);
  record_.sent = Bytes{kEot};
  notes.sent(TrafficSource::Console, record_.sent);
  line.write(Bytes{kEot});
  control(kEot);
  ExchangeOutcome& out = record_.outcome;
  if (line.waitForBytes(1, c_.session.clock.nowMs() + kConsoleAfterEotMs) == WaitResult::Ready &&
      line.read(0, out.late) && !out.late.empty()) {
    notes.late(out.late);
    late(out.late);
  }
  out.stage = ExchangeStage::AfterEot;
  out.end = TrafficEnd::Cancelled;
  out.fault = line.fault();
  notes.end(TrafficEnd::Cancelled);
  report(ExchangeEnd::Cancelled);
  endLine();
  replyLength_ = 0;
  cautionUnlessLost(kCancelText);
  return kConsoleStopped;
}

int Exchange::noAck() {
  addHistory(ReplyTypeSection("Reply type='ReplyTimeout'", TimeStamp(c_.time.now())));
  view_.addEntry(ConsoleList::History, "");
  view_.addEntry(ConsoleList::History, "ExecuteCommand failed: 6h");
  report(ExchangeEnd::NoAck);
  cautionUnlessLost(kCommunicationError);
  closeHistory();
  return kConsoleFailed;
}

int Exchange::noHead() {
  replyLength_ = 0;
  report(ExchangeEnd::NoHead);
  cautionUnlessLost(kStopText);
  return kConsoleStopped;
}

int Exchange::failed() {
  report(ExchangeEnd::Failed);
  cautionUnlessLost(kCheckData);
  closeHistory();
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
