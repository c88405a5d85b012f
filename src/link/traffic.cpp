#include "link/traffic.h"

#include <algorithm>

#include "link/frame.h"
#include "link/reply_catalogue.h"

namespace kdx {

namespace {

std::string Padded(int value, std::size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// How many text bytes follow the length field: as many as it announces, of
// those the frame holds. ETX and the check byte are not text.
std::size_t FrameTextLength(ByteView frame) {
  if (frame.size() <= 4) return 0;
  const std::size_t announced = std::size_t{frame[2]} << 8 | frame[3];
  return std::min(announced, frame.size() - 4);
}

// The command column: the frame's first three text bytes ("C10"), "EOT" for
// the console's cancel, or whatever part of a shorter text there is (a
// console line "C" shows "C").
std::string CommandText(ByteView frame) {
  if (frame.size() == 1 && frame[0] == kEot) return "EOT";
  const std::size_t length = std::min<std::size_t>(3, FrameTextLength(frame));
  if (length == 0) return {};
  return EscapedText(frame.subspan(4, length));
}

std::string CommandName(const CommandGlossary* glossary, ByteView frame) {
  if (frame.size() == 1 && frame[0] == kEot) return "Cancel";
  if (FrameTextLength(frame) < 3 || frame[4] != 'C') return {};
  return glossary ? glossary->name(frame[5], frame[6]) : std::string();
}

// The three status bytes of a positive reply as they came, when no meaning
// is known: "0 0 2".
std::string RawStatus(ByteView reply) {
  std::string text;
  for (std::size_t i = 3; i < 6 && i < reply.size(); ++i) {
    if (!text.empty()) text += ' ';
    text += EscapedText(reply.subspan(i, 1));
  }
  return text;
}

// Appends what still fits in a row's share of bytes; `total` counts them all.
void Keep(Bytes& into, ByteView bytes, std::size_t& total) {
  total += bytes.size();
  const std::size_t room = kRowBytesKept - std::min(kRowBytesKept, into.size());
  into.insert(into.end(), bytes.begin(),
              bytes.begin() + static_cast<std::ptrdiff_t>(std::min(room, bytes.size())));
}

// The bytes that answered an EOT, the first few in hex.
std::string LateText(ByteView late, std::size_t total) {
  constexpr std::size_t kShown = 16;
  std::string text = "EOT sent; answered " + HexBytes(late.first(std::min(kShown, late.size())));
  if (total > kShown) text += " ... (" + std::to_string(total) + " bytes)";
  return text;
}

void AddNote(std::string& detail, std::string_view note) {
  if (!detail.empty()) detail += "; ";
  detail += note;
}

// The reply, negative code and notes of an exchange that ended with a
// complete reply frame.
void DescribeReply(TrafficRow& row, const CommandGlossary* glossary, ByteView frame, ByteView head,
                   ByteView reply, std::size_t trailing) {
  if (reply.empty() || (reply[0] != 'P' && reply[0] != 'N')) {
    row.reply = TrafficReply::Other;
    if (!reply.empty()) row.detail = "first byte " + HexByte(reply[0]) + "h";
  } else if (reply[0] == 'P') {
    row.reply = TrafficReply::Positive;
    if (glossary) row.status = glossary->status(reply);
    if (row.status.empty()) row.status = RawStatus(reply);
  } else {
    row.reply = TrafficReply::Negative;
    const std::uint8_t e1 = reply.size() > 3 ? reply[3] : 0;
    const std::uint8_t e0 = reply.size() > 4 ? reply[4] : 0;
    const std::uint8_t code[] = {e1, e0};
    const auto text = NegativeReplyText(e1, e0);
    row.detail = EscapedText(code) + " " +
                 (text ? std::string(*text) : std::string("(not in the catalogue)"));
  }
  // What the transaction does not check, the row points out.
  if (reply.size() >= 3 && FrameTextLength(frame) >= 3 &&
      (reply[1] != frame[5] || reply[2] != frame[6]))
    AddNote(row.detail, "answers C" + EscapedText(reply.subspan(1, 2)));
  if (!CheckByteMatches(head, reply)) AddNote(row.detail, "check byte wrong");
  if (trailing > 0) AddNote(row.detail, std::to_string(trailing) + " bytes after the frame");
}

std::string FailureText(TrafficEnd end, const Bytes& received, ByteView head, ByteView late,
                        std::size_t lateTotal) {
  switch (end) {
    case TrafficEnd::NotAck:
      return received.empty() ? "no ACK" : HexByte(received[0]) + "h instead of ACK";
    case TrafficEnd::NoAck:
      return "no ACK";
    case TrafficEnd::NoHead:
      return "no reply head";
    case TrafficEnd::StrayAfterEot:
      return LateText(late, lateTotal);
    case TrafficEnd::Incomplete:
      return head.size() == 4 ? "reply incomplete: " + std::to_string(ReplyTextLength(head) + 2) +
                                    " bytes announced after the head"
                              : "reply incomplete";
    case TrafficEnd::TooLong:
      return "reply too long for the reply buffer";
    case TrafficEnd::BadCheckByte:
      return "check byte wrong";
    case TrafficEnd::PortError:
      return "port error";
    case TrafficEnd::Reply:
    case TrafficEnd::NoReply:
    case TrafficEnd::Cancelled:
      break;
  }
  return {};
}

}  // namespace

TrafficRecorder::TrafficRecorder(Clock& clock, LocalTimeSource& time,
                                 const CommandGlossary* glossary, std::size_t limit)
    : clock_(clock), time_(time), glossary_(glossary), limit_(std::max<std::size_t>(limit, 1)) {}

void TrafficRecorder::sent(TrafficSource source, ByteView frame, std::string_view where) {
  // An exchange that was never closed ends here, so no bytes go unshown.
  if (pending_) finish(*pending_, TrafficEnd::PortError);
  Pending& p = pending_.emplace();
  p.startMs = clock_.nowMs();
  p.times.start(p.startMs);
  p.row.time = time_.now();
  p.row.source = source;
  p.row.where = where;
  p.row.command = CommandText(frame);
  p.row.name = CommandName(glossary_, frame);
  p.row.sent.assign(frame.begin(), frame.end());
}

void TrafficRecorder::ack(std::uint8_t byte) {
  if (!pending_) return;
  Keep(pending_->row.received, ByteView(&byte, 1), pending_->receivedTotal);
  pending_->times.device(clock_.nowMs(), ByteView(&byte, 1));
}

void TrafficRecorder::head(ByteView head) {
  if (!pending_) return;
  pending_->head.assign(head.begin(), head.end());
  Keep(pending_->row.received, head, pending_->receivedTotal);
  pending_->times.device(clock_.nowMs(), head);
}

void TrafficRecorder::rest(ByteView arrived) {
  if (!pending_) return;
  Keep(pending_->arrived, arrived, pending_->arrivedTotal);
  Keep(pending_->row.received, arrived, pending_->receivedTotal);
  pending_->times.device(clock_.nowMs(), arrived);
}

void TrafficRecorder::control(std::uint8_t byte) {
  if (!pending_) return;
  pending_->row.sent.push_back(byte);
  pending_->times.host(clock_.nowMs(), byte);
}

void TrafficRecorder::late(ByteView bytes) {
  if (!pending_) return;
  Keep(pending_->late, bytes, pending_->lateTotal);
  Keep(pending_->row.received, bytes, pending_->receivedTotal);
  pending_->times.device(clock_.nowMs(), bytes);
}

void TrafficRecorder::ended(TrafficEnd end) {
  if (pending_) finish(*pending_, end);
}

void TrafficRecorder::finish(Pending& p, TrafficEnd end) {
  TrafficRow row = std::move(p.row);
  row.number = next_++;
  row.end = end;
  row.arrived = std::move(p.times.arrived);
  row.hostSent = std::move(p.times.sent);
  row.durationMs = std::max<std::int64_t>(clock_.nowMs() - p.startMs, 0);
  const ByteView frame = row.sent;
  // The reply and what trailed it, as the length field splits them.
  ByteView reply;
  std::size_t trailing = 0;
  if (p.head.size() == 4) {
    const std::size_t expected = static_cast<std::size_t>(ReplyTextLength(p.head)) + 2;
    reply = ByteView(p.arrived).first(std::min(expected, p.arrived.size()));
    trailing = p.arrivedTotal - reply.size();
  }
  const ByteView late = p.late;

  switch (end) {
    case TrafficEnd::Reply:
      DescribeReply(row, glossary_, frame, p.head, reply, trailing);
      break;
    case TrafficEnd::NoReply:
    case TrafficEnd::Cancelled:
      row.reply = TrafficReply::NoReply;
      row.detail = late.empty() ? "EOT sent" : LateText(late, p.lateTotal);
      break;
    default:
      row.reply = TrafficReply::Failure;
      row.detail = FailureText(end, row.received, p.head, late, p.lateTotal);
      break;
  }
  if (p.receivedTotal > row.received.size())
    AddNote(row.detail, "the first " + std::to_string(row.received.size()) + " of " +
                            std::to_string(p.receivedTotal) + " bytes received are kept");
  pending_.reset();

  rows_.push_back(std::move(row));
  if (onAppended) onAppended();
  if (rows_.size() > limit_) {
    const std::size_t drop = rows_.size() - limit_;
    rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(drop));
    if (onDropped) onDropped(drop);
  }
}

void TrafficRecorder::clear() {
  rows_.clear();
  sessionFrom_ = next_;
  if (onCleared) onCleared();
}

void TrafficNotes::sent(TrafficSource source, ByteView frame, std::string_view where) {
  if (!observer_) return;
  end(TrafficEnd::PortError);
  observer_->sent(source, frame, where);
  open_ = true;
}

void TrafficNotes::ack(std::uint8_t byte) {
  if (log_) log_->ack(byte);
  if (open_) observer_->ack(byte);
}

void TrafficNotes::head(ByteView head) {
  if (log_) log_->head(head);
  if (open_) observer_->head(head);
}

void TrafficNotes::rest(ByteView arrived) {
  if (log_) log_->rest(arrived);
  if (open_) observer_->rest(arrived);
}

void TrafficNotes::end(TrafficEnd end) {
  if (!open_) return;
  open_ = false;
  observer_->ended(end);
}

std::string_view TrafficSourceText(TrafficSource source) {
  switch (source) {
    case TrafficSource::Operation:
      return "Operation";
    case TrafficSource::UnitCheck:
      return "Unit check";
    case TrafficSource::ScanProbe:
      return "Scan";
    case TrafficSource::Console:
      return "Console";
  }
  return {};
}

std::string_view TrafficReplyText(TrafficReply reply) {
  switch (reply) {
    case TrafficReply::Positive:
      return "Positive";
    case TrafficReply::Negative:
      return "Negative";
    case TrafficReply::Other:
      return "Other";
    case TrafficReply::NoReply:
      return "No reply";
    case TrafficReply::Failure:
      return "Failure";
  }
  return {};
}

std::string TimeOfDayText(const LocalTime& t) {
  return Padded(t.hour, 2) + ":" + Padded(t.minute, 2) + ":" + Padded(t.second, 2) + "." +
         Padded(t.millisecond, 3);
}

std::string DateTimeText(const LocalTime& t) {
  return Padded(t.year, 4) + "-" + Padded(t.month, 2) + "-" + Padded(t.day, 2) + " " +
         TimeOfDayText(t);
}

std::string EscapedText(ByteView bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (auto b : bytes) {
    if (b > 0x20 && b < 0x7F && b != '$')
      text += static_cast<char>(b);
    else
      text += "$" + HexByte(b);
  }
  return text;
}

}  // namespace kdx

namespace kdx {

void ArrivalTimes::start(std::int64_t nowMs) {
  startMs_ = nowMs;
  kept_ = 0;
  arrived.clear();
  sent.clear();
}

void ArrivalTimes::device(std::int64_t nowMs, ByteView bytes) {
  const std::size_t room = limit_ - std::min(limit_, kept_);
  if (bytes.empty() || room == 0) return;
  const ByteView kept = bytes.first(std::min(room, bytes.size()));
  kept_ += kept.size();
  arrived.push_back({std::max<std::int64_t>(nowMs - startMs_, 0), Bytes(kept.begin(), kept.end())});
}

void ArrivalTimes::host(std::int64_t nowMs, std::uint8_t byte) {
  sent.push_back({std::max<std::int64_t>(nowMs - startMs_, 0), Bytes{byte}, arrived.size()});
}

}  // namespace kdx
