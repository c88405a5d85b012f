#include "run_output.h"

#include "link/bytes.h"
#include "link/frame.h"
#include "link/json_reader.h"
#include "link/port_setup.h"
#include "link/receive.h"

namespace kdx::run {

namespace {

std::string Two(int value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string IsoTime(const LocalTime& t) {
  std::string ms = std::to_string(t.millisecond);
  ms.insert(0, 3 - std::min<std::size_t>(ms.size(), 3), '0');
  return std::to_string(t.year) + "-" + Two(t.month) + "-" + Two(t.day) + "T" + Two(t.hour) + ":" +
         Two(t.minute) + ":" + Two(t.second) + "." + ms;
}

// A JSON string of device characters: one byte, one character (Latin-1).
std::string JsonText(std::string_view text) {
  return JsonString(Latin1ToUtf8(text));
}

// Reply bytes from `first` to the one before ETX.
std::string DataHex(const Bytes& reply, std::size_t first) {
  if (reply.size() < first + 2) return "";
  return HexBytes(ByteView(reply).subspan(first, reply.size() - 2 - first));
}

std::string Because(std::string_view reason) {
  return reason.empty() ? std::string() : ": " + std::string(reason);
}

// What answered an EOT, the first few bytes in hex; all of them are in the
// record's received bytes.
std::string Answered(const Bytes& late) {
  constexpr std::size_t kShown = 16;
  if (late.empty()) return {};
  std::string text = ", answered " + HexBytes(ByteView(late).first(std::min(kShown, late.size())));
  if (late.size() > kShown) text += " ... (" + std::to_string(late.size()) + " bytes)";
  return text;
}

// The text bytes a reply's fields take before ETX: marker, command,
// parameter and three status bytes, or two error code bytes.
constexpr std::size_t kPositiveText = 6;
constexpr std::size_t kNegativeText = 5;

// A reply the console took: checked for what the console does not check.
ReplyVerdict ReplyOf(const ExchangeRecord& r) {
  const Bytes& reply = r.reply;
  const Bytes& head = r.outcome.head;
  if (!CheckByteMatches(head, reply)) {
    std::uint8_t expected = 0;
    for (auto b : head) expected ^= b;
    for (std::size_t i = 0; i + 1 < reply.size(); ++i) expected ^= reply[i];
    return {ReplyKind::BadCheck, reply.empty() ? "no check byte"
                                               : "check byte " + HexByte(reply.back()) +
                                                     "h, expected " + HexByte(expected) + "h"};
  }
  if (r.end == ExchangeEnd::Other)
    return {ReplyKind::Other, "first byte " + HexByte(reply[0]) + "h"};
  const bool positive = r.end == ExchangeEnd::Positive;
  const std::size_t text = reply.size() - std::min<std::size_t>(reply.size(), 2);
  const std::size_t needed = positive ? kPositiveText : kNegativeText;
  if (text < needed) {
    return {ReplyKind::ShortReply, std::string(positive ? "positive" : "negative") + " reply of " +
                                       std::to_string(text) + " text bytes, at least " +
                                       std::to_string(needed) + " expected"};
  }
  const Bytes& sent = r.sent;
  if (sent.size() >= 7 && (reply[1] != sent[5] || reply[2] != sent[6])) {
    return {ReplyKind::WrongReply, "answers command " + HexByte(reply[1]) + "h parameter " +
                                       HexByte(reply[2]) + "h, not " + HexByte(sent[5]) + "h " +
                                       HexByte(sent[6]) + "h"};
  }
  return {positive ? ReplyKind::Positive : ReplyKind::Negative, {}};
}

// An exchange that ended short of a reply.
ReplyVerdict FailureOf(const ExchangeRecord& r) {
  const ExchangeOutcome& out = r.outcome;
  if (out.fault && out.fault->gone) {
    return {ReplyKind::PortLost,
            PortLabel(out.fault->port, out.fault->path) + " was lost" + Because(out.fault->reason)};
  }
  const std::string portReason = out.fault ? out.fault->reason : std::string();
  if (out.stage == ExchangeStage::Send)
    return {ReplyKind::Failed, "the command could not be written" + Because(portReason)};
  if (out.end == TrafficEnd::PortError)
    return {ReplyKind::Failed, "port error" + Because(portReason)};
  switch (out.end) {
    case TrafficEnd::NoAck:
      return {ReplyKind::NoAck, "no answer in time"};
    case TrafficEnd::NotAck:
      return {out.ack == kNak ? ReplyKind::Nak : ReplyKind::NotAck,
              HexByte(out.ack.value_or(0)) + "h instead of ACK"};
    case TrafficEnd::NoReply:
      return {ReplyKind::NoHead, "no reply head; EOT sent" + Answered(out.late)};
    case TrafficEnd::TooLong:
      return {ReplyKind::Failed, "reply of " + std::to_string(out.reply.size()) +
                                     " bytes after the head, longer than the " +
                                     std::to_string(kReplyBufferSize) + "-byte buffer"};
    case TrafficEnd::Incomplete:
      if (out.head.size() != 4) break;
      return {ReplyKind::Failed,
              "reply incomplete: " + std::to_string(ReplyTextLength(out.head) + 2) +
                  " bytes announced after the head, " + std::to_string(out.partial.size()) +
                  " arrived"};
    default:
      break;
  }
  return {ReplyKind::Failed, {}};
}

}  // namespace

void RunView::addEntry(ConsoleList list, std::string_view entry) {
  ++counts_[Index(list)];
  if (!text_) return;
  // Entries are ASCII but for a device's characters above 7Fh.
  bool ascii = true;
  for (char c : entry) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    out_.append(entry);
  } else {
    out_ += Latin1ToUtf8(entry);
  }
  out_ += '\n';
}

std::string MessageText(std::string_view title, std::string_view text) {
  std::string body = Latin1ToUtf8(text);
  for (std::size_t at; (at = body.find("\r\n")) != std::string::npos;) body.replace(at, 2, "\n  ");
  return Latin1ToUtf8(title) + ": " + body;
}

ReplyVerdict Classify(const ExchangeRecord& r) {
  switch (r.end) {
    case ExchangeEnd::Positive:
    case ExchangeEnd::Negative:
    case ExchangeEnd::Other:
      return ReplyOf(r);
    case ExchangeEnd::Stopped:
      return {ReplyKind::Stopped, {}};
    case ExchangeEnd::Cancelled:
      return {ReplyKind::Cancelled, {}};
    case ExchangeEnd::LinkClosed:
      return {ReplyKind::Failed, "the link is closed"};
    case ExchangeEnd::NoAck:
    case ExchangeEnd::NoHead:
    case ExchangeEnd::Failed:
      break;
  }
  return FailureOf(r);
}

const char* KindName(ReplyKind kind) {
  switch (kind) {
    case ReplyKind::Positive:
      return "positive";
    case ReplyKind::Negative:
      return "negative";
    case ReplyKind::Other:
      return "other";
    case ReplyKind::BadCheck:
      return "bad-check";
    case ReplyKind::WrongReply:
      return "wrong-reply";
    case ReplyKind::ShortReply:
      return "short-reply";
    case ReplyKind::Nak:
      return "nak";
    case ReplyKind::NotAck:
      return "not-ack";
    case ReplyKind::NoAck:
      return "no-ack";
    case ReplyKind::NoHead:
      return "no-head";
    case ReplyKind::Failed:
      return "failed";
    case ReplyKind::PortLost:
      return "port-lost";
    case ReplyKind::Stopped:
      return "stopped";
    case ReplyKind::Cancelled:
      return "cancelled";
  }
  return "failed";
}

std::string ExchangeJson(const ExchangeRecord& r, int line, int pass) {
  const ReplyVerdict verdict = Classify(r);
  std::string json = "{\"time\":\"" + IsoTime(r.time) + "\",\"pass\":" + std::to_string(pass) +
                     ",\"line\":" + std::to_string(line) + ",\"sent\":\"" + HexBytes(r.sent) +
                     "\",\"reply\":\"" + KindName(verdict.kind) + "\"";
  if (!verdict.reason.empty()) json += ",\"reason\":" + JsonString(verdict.reason);
  const Bytes& reply = r.reply;
  if (!reply.empty()) {
    // Fields only where the reply holds them before its ETX.
    if (reply.size() >= 5) {
      json +=
          ",\"command\":\"" + HexByte(reply[1]) + "\",\"parameter\":\"" + HexByte(reply[2]) + "\"";
    }
    if (verdict.kind == ReplyKind::Positive) {
      json += ",\"status\":" + JsonText(BytesToText(ByteView(reply).subspan(3, 3)));
      json += ",\"data\":\"" + DataHex(reply, 6) + "\"";
    } else if (verdict.kind == ReplyKind::Negative) {
      json += ",\"error\":" + JsonText(BytesToText(ByteView(reply).subspan(3, 2)));
      json += ",\"data\":\"" + DataHex(reply, 5) + "\"";
    }
    json += ",\"bytes\":\"" + HexBytes(reply) + "\"";
  }
  return json + ",\"received\":\"" + HexBytes(r.outcome.received()) + "\"}";
}

std::string ExchangeText(const ExchangeRecord& r) {
  const ReplyVerdict verdict = Classify(r);
  const Bytes received = r.outcome.received();
  std::string text = std::string("Result: ") + KindName(verdict.kind);
  if (!verdict.reason.empty()) text += " (" + verdict.reason + ")";
  return text + "; received: " + (received.empty() ? "nothing" : HexBytes(received));
}

ReplyGroup GroupOf(ReplyKind kind) {
  switch (kind) {
    case ReplyKind::Positive:
      return ReplyGroup::Positive;
    case ReplyKind::Negative:
    case ReplyKind::Other:
    case ReplyKind::BadCheck:
    case ReplyKind::WrongReply:
    case ReplyKind::ShortReply:
      return ReplyGroup::Negative;
    case ReplyKind::NoAck:
    case ReplyKind::NoHead:
      return ReplyGroup::NoAnswer;
    case ReplyKind::Stopped:
    case ReplyKind::Cancelled:
      return ReplyGroup::NotCounted;
    case ReplyKind::Nak:
    case ReplyKind::NotAck:
    case ReplyKind::Failed:
    case ReplyKind::PortLost:
      break;
  }
  return ReplyGroup::LinkFailure;
}

void Outcome::add(ReplyKind kind) {
  switch (GroupOf(kind)) {
    case ReplyGroup::Positive:
      break;
    case ReplyGroup::Negative:
      negative_ = true;
      break;
    case ReplyGroup::NotCounted:
      cancelled_ = true;
      break;
    case ReplyGroup::NoAnswer:
    case ReplyGroup::LinkFailure:
      linkFailed_ = true;
      break;
  }
}

int Outcome::status() const {
  if (cancelled_) return kExitCancelled;
  if (linkFailed_) return kExitLink;
  if (negative_) return kExitNegative;
  return kExitPositive;
}

}  // namespace kdx::run

namespace kdx::run {

std::string IsoLocalTime(const LocalTime& time) {
  return IsoTime(time);
}

}  // namespace kdx::run
