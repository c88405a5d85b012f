#include "link/session_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "link/frame.h"
#include "link/json_reader.h"

namespace kdx {

namespace {

// ---- Writing -------------------------------------------------------------

std::string Field(std::string_view name, std::string_view text) {
  return "," + JsonString(name) + ":" + JsonString(text);
}

std::string Number(std::string_view name, std::int64_t value) {
  return "," + JsonString(name) + ":" + std::to_string(value);
}

std::string TimedList(const std::vector<TimedBytes>& list, bool host) {
  std::string out = "[";
  for (const TimedBytes& part : list) {
    if (out.size() > 1) out += ',';
    out += "{\"ms\":" + std::to_string(part.ms) + ",\"bytes\":\"" + HexBytes(part.bytes) + "\"";
    if (host) out += ",\"after\":" + std::to_string(part.after);
    out += "}";
  }
  return out + "]";
}

// ---- The fields of this format -------------------------------------------

class Fields {
 public:
  Fields(const Json& object, std::string& error) : object_(object), error_(error) {}

  bool text(std::string_view key, std::string& out, bool required) {
    const Json* value = object_.find(key);
    if (!value) return !required || missing(key);
    if (value->type != Json::Type::String) return wrong(key, "a string");
    out = value->text;
    return true;
  }
  bool number(std::string_view key, std::int64_t& out, std::int64_t low, std::int64_t high,
              bool required) {
    const Json* value = object_.find(key);
    if (!value) return !required || missing(key);
    if (value->type != Json::Type::Number) return wrong(key, "a whole number");
    if (value->number < low || value->number > high) {
      error_ = "\"" + std::string(key) + "\" is " + std::to_string(value->number) + ", outside " +
               std::to_string(low) + " to " + std::to_string(high);
      return false;
    }
    out = value->number;
    return true;
  }
  bool hex(std::string_view key, Bytes& out, bool required) {
    std::string text;
    if (!this->text(key, text, required)) return false;
    return HexField(key, text, out, error_);
  }
  // `parts` (the host's list) bounds each part's "after": how many of
  // the device's parts came before it.
  bool timed(std::string_view key, std::vector<TimedBytes>& out,
             std::optional<std::size_t> parts = std::nullopt) {
    const Json* value = object_.find(key);
    if (!value) return missing(key);
    if (value->type != Json::Type::Array) return wrong(key, "an array");
    std::int64_t last = 0;
    std::int64_t lastAfter = 0;
    std::size_t total = 0;
    for (const Json& item : value->items) {
      const std::string where = std::string(key) + "[" + std::to_string(out.size()) + "]";
      if (item.type != Json::Type::Object) return wrong(where, "an object");
      Fields part(item, error_);
      TimedBytes timed;
      std::int64_t after = 0;
      const Json* ms = item.find("ms");
      if (ms && ms->type == Json::Type::Number && ms->number < 0) {
        error_ = "\"" + where + ".ms\" is negative (" + std::to_string(ms->number) + ")";
        return false;
      }
      if (!part.number("ms", timed.ms, 0, kMaxArrivalMs, true) ||
          !part.hex("bytes", timed.bytes, true) ||
          (parts && !part.number("after", after, 0, static_cast<std::int64_t>(*parts), true))) {
        error_ = where + ": " + error_;
        return false;
      }
      if (timed.bytes.empty()) {
        error_ = "\"" + where + ".bytes\" is empty";
        return false;
      }
      if (timed.ms < last) {
        error_ = "\"" + where + ".ms\" is " + std::to_string(timed.ms) +
                 ", earlier than the part before it (" + std::to_string(last) + ")";
        return false;
      }
      total += timed.bytes.size();
      if (total > kMaxSessionBytes) {
        error_ = "\"" + std::string(key) + "\" holds more than " +
                 std::to_string(kMaxSessionBytes) + " bytes";
        return false;
      }
      if (parts && after < lastAfter) {
        error_ = "\"" + where + ".after\" is " + std::to_string(after) +
                 ", less than the part before it (" + std::to_string(lastAfter) + ")";
        return false;
      }
      timed.after = static_cast<std::size_t>(after);
      lastAfter = after;
      last = timed.ms;
      out.push_back(std::move(timed));
    }
    return true;
  }

  static bool HexField(std::string_view key, std::string_view text, Bytes& out,
                       std::string& error) {
    // Pairs of hex digits, one blank between them, as the writer puts them.
    out.clear();
    for (std::size_t i = 0; i < text.size(); i += 3) {
      const auto high = HexDigit(text[i]);
      const auto low = i + 1 < text.size() ? HexDigit(text[i + 1]) : std::nullopt;
      if (!high || !low || (i + 2 < text.size() && text[i + 2] != ' ') ||
          (i + 2 == text.size() - 1)) {
        error = "\"" + std::string(key) + "\" is not hex (pairs of hex digits with one blank " +
                "between them) at character " + std::to_string(i + 1);
        return false;
      }
      out.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
    }
    return true;
  }

 private:
  bool missing(std::string_view key) {
    error_ = "\"" + std::string(key) + "\" is missing";
    return false;
  }
  bool wrong(std::string_view key, std::string_view what) {
    error_ = "\"" + std::string(key) + "\" is not " + std::string(what);
    return false;
  }

  const Json& object_;
  std::string& error_;
};

bool ReadHeader(const Json& json, SessionHeader& h, std::string& error) {
  std::string format;
  Fields f(json, error);
  if (!f.text("format", format, true)) return false;
  if (format != kSessionFormatName) {
    error = "not a session file (\"format\" is \"" + format + "\", not \"" +
            std::string(kSessionFormatName) + "\")";
    return false;
  }
  std::int64_t version = 0, baud = 0;
  if (!f.number("version", version, 0, 1000000, true)) return false;
  if (version != kSessionFormatVersion) {
    error = "version " + std::to_string(version) + " is not supported (this program reads " +
            std::to_string(kSessionFormatVersion) + ")";
    return false;
  }
  h.version = static_cast<int>(version);
  if (!f.text("tool", h.tool, true) || !f.text("port", h.port, false) ||
      !f.text("path", h.path, false) || !f.number("baud", baud, 0, 10000000, false) ||
      !f.text("address", h.address, false) || !f.text("serial", h.serial, false) ||
      !f.text("configuration", h.configuration, false) || !f.text("started", h.started, true))
    return false;
  if (baud > 0) h.baud = static_cast<int>(baud);
  return true;
}

bool ReadExchange(const Json& json, SessionExchange& x, std::string& error) {
  Fields f(json, error);
  std::int64_t number = 0, pass = 0, line = 0;
  if (!f.number("n", number, 1, INT64_C(1) << 40, true) || !f.text("source", x.source, true) ||
      !f.text("where", x.where, false) || !f.number("pass", pass, 0, INT32_MAX, false) ||
      !f.number("line", line, 0, INT32_MAX, false) || !f.text("time", x.time, true) ||
      !f.hex("sent", x.sent, true) || !f.timed("received", x.received) ||
      !f.timed("host", x.host, x.received.size()) || !f.text("outcome", x.outcome, true) ||
      !f.text("kind", x.kind, false) || !f.text("code", x.code, false) ||
      !f.text("detail", x.detail, false) || !f.hex("reply", x.reply, false) ||
      !f.number("ms", x.ms, 0, kMaxArrivalMs, true))
    return false;
  bool known = false;
  for (std::string_view outcome : kOutcomes) known = known || outcome == x.outcome;
  if (!known) {
    error = "\"outcome\" \"" + x.outcome + "\" is not one of positive, negative, other, " +
            "no-answer, link-failure, cancelled";
    return false;
  }
  if (x.sent.empty()) {
    error = "\"sent\" is empty";
    return false;
  }
  x.number = static_cast<std::uint64_t>(number);
  x.pass = static_cast<int>(pass);
  x.line = static_cast<int>(line);
  return true;
}

}  // namespace

Bytes SessionExchange::receivedBytes() const {
  Bytes all;
  for (const TimedBytes& part : received)
    all.insert(all.end(), part.bytes.begin(), part.bytes.end());
  return all;
}

std::string SessionHeaderLine(const SessionHeader& h) {
  return "{\"format\":" + JsonString(kSessionFormatName) + Number("version", h.version) +
         Field("tool", h.tool) + Field("port", h.port) + Field("path", h.path) +
         Number("baud", h.baud) + Field("address", h.address) + Field("serial", h.serial) +
         Field("configuration", h.configuration) + Field("started", h.started) + "}";
}

std::string SessionExchangeLine(const SessionExchange& x) {
  std::string line = "{\"n\":" + std::to_string(x.number) + Field("source", x.source);
  if (!x.where.empty()) line += Field("where", x.where);
  line += Number("pass", x.pass) + Number("line", x.line) + Field("time", x.time) +
          Field("sent", HexBytes(x.sent)) + ",\"received\":" + TimedList(x.received, false) +
          ",\"host\":" + TimedList(x.host, true) + Field("outcome", x.outcome);
  if (!x.kind.empty()) line += Field("kind", x.kind);
  if (!x.code.empty()) line += Field("code", x.code);
  if (!x.detail.empty()) line += Field("detail", x.detail);
  if (!x.reply.empty()) line += Field("reply", HexBytes(x.reply));
  return line + Number("ms", x.ms) + "}";
}

std::string SessionFileError::text() const {
  return line == 0 ? reason : "line " + std::to_string(line) + ": " + reason;
}

std::optional<SessionFile> ParseSessionFile(std::string_view text, SessionFileError& error) {
  error = {};
  if (text.size() > kMaxSessionFileBytes) {
    error.reason = "larger than " + std::to_string(kMaxSessionFileBytes) + " bytes";
    return std::nullopt;
  }
  SessionFile file;
  std::size_t number = 0;
  std::size_t at = 0;
  bool headerRead = false;
  while (at < text.size()) {
    ++number;
    const std::size_t end = text.find('\n', at);
    error.line = number;
    if (end == std::string_view::npos) {
      error.reason = "truncated: the last line has no line feed";
      return std::nullopt;
    }
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxSessionLineBytes) {
      error.reason = "longer than " + std::to_string(kMaxSessionLineBytes) + " bytes";
      return std::nullopt;
    }
    if (line.empty()) {
      error.reason = "an empty line";
      return std::nullopt;
    }
    std::string why;
    const auto json = ParseJson(line, why);
    if (json && json->type != Json::Type::Object) why = "not a JSON object";
    if (!why.empty() || (headerRead ? !ReadExchange(*json, file.exchanges.emplace_back(), why)
                                    : !ReadHeader(*json, file.header, why))) {
      error.reason = why;
      return std::nullopt;
    }
    headerRead = true;
  }
  if (!headerRead) {
    error.line = 1;
    error.reason = "empty: no header line";
    return std::nullopt;
  }
  error = {};
  return file;
}

std::optional<SessionFile> ReadSessionFile(const std::string& path, SessionFileError& error) {
  error = {};
  const auto systemReason = [](int number) {
    return "cannot read it: " + std::error_code(number, std::generic_category()).message();
  };
  // Only a regular file: a pipe or a device could keep the reader waiting.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error.reason = systemReason(errno);
    return std::nullopt;
  }
  if ((info.st_mode & S_IFMT) != S_IFREG) {
    error.reason = "not a regular file";
    return std::nullopt;
  }
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  if (size > kMaxSessionFileBytes) {
    error.reason = "larger than " + std::to_string(kMaxSessionFileBytes) + " bytes (" +
                   std::to_string(size) + ")";
    return std::nullopt;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error.reason = systemReason(errno);
    return std::nullopt;
  }
  // One byte past the limit tells a file that grew meanwhile.
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error.reason = "cannot read it";
    return std::nullopt;
  }
  return ParseSessionFile(text, error);
}

std::string SessionFileText(SessionHeader header, const std::deque<TrafficRow>& rows,
                            std::uint64_t from) {
  std::string lines;
  std::uint64_t number = 0;
  for (const TrafficRow& row : rows) {
    if (row.number < from) continue;
    SessionExchange x = SessionExchangeOf(row);
    if (header.started.empty()) header.started = x.time;
    x.number = ++number;
    lines += SessionExchangeLine(x) + "\n";
  }
  return SessionHeaderLine(header) + "\n" + lines;
}

std::string_view SessionSourceName(TrafficSource source) {
  switch (source) {
    case TrafficSource::Operation:
      return "operation";
    case TrafficSource::UnitCheck:
      return "unit-check";
    case TrafficSource::ScanProbe:
      return "scan";
    case TrafficSource::Console:
      return "console";
  }
  return "operation";
}

namespace {

// The reply frame among everything the device sent: after the ACK and the
// head, as long as the head says.
Bytes ReplyIn(const Bytes& all) {
  const std::size_t start = !all.empty() && all[0] != kStx ? 1 : 0;
  if (all.size() < start + 4) return {};
  const ByteView head = ByteView(all).subspan(start, 4);
  const std::size_t length = static_cast<std::size_t>(ReplyTextLength(head)) + 2;
  const ByteView rest = ByteView(all).subspan(start + 4);
  return Bytes(rest.begin(),
               rest.begin() + static_cast<std::ptrdiff_t>(std::min(length, rest.size())));
}

}  // namespace

SessionExchange SessionExchangeOfParts(ByteView frame, std::vector<TimedBytes> arrived,
                                       std::vector<TimedBytes> host, TrafficEnd end) {
  SessionExchange x;
  x.sent.assign(frame.begin(), frame.end());
  x.received = std::move(arrived);
  x.host = std::move(host);
  switch (end) {
    case TrafficEnd::Reply:
      x.reply = ReplyIn(x.receivedBytes());
      x.outcome = x.reply.empty()     ? "other"
                  : x.reply[0] == 'P' ? "positive"
                  : x.reply[0] == 'N' ? "negative"
                                      : "other";
      break;
    case TrafficEnd::NoAck:
    case TrafficEnd::NoHead:
    case TrafficEnd::NoReply:
      x.outcome = "no-answer";
      break;
    case TrafficEnd::Cancelled:
      x.outcome = "cancelled";
      break;
    default:
      x.outcome = "link-failure";
      break;
  }
  if (x.outcome == "negative" && x.reply.size() >= 5)
    x.code = BytesToText(ByteView(x.reply).subspan(3, 2));
  return x;
}

SessionExchange SessionExchangeOf(const TrafficRow& row) {
  // The frame alone: the host's ACK or EOT after it is in `host`.
  ByteView frame = row.sent;
  if (!row.hostSent.empty() && frame.size() > row.hostSent.size())
    frame = frame.first(frame.size() - row.hostSent.size());
  SessionExchange x = SessionExchangeOfParts(frame, row.arrived, row.hostSent, row.end);
  x.number = row.number;
  x.source = SessionSourceName(row.source);
  x.where = row.where;
  std::string time = DateTimeText(row.time);
  if (time.size() > 10) time[10] = 'T';
  x.time = time;
  x.detail = row.detail;
  x.ms = row.durationMs;
  // The row's reply column judged the reply from every byte kept, which the
  // parts may hold fewer of.
  if (row.reply == TrafficReply::Other && x.outcome != "other") x.outcome = "other";
  return x;
}

namespace {

// The compared fields of one side.
struct Summary {
  std::string reply, command, parameter, status, error, data;
};

Summary Summarize(const SessionExchange& x, bool useKind) {
  Summary s;
  s.reply = useKind ? x.kind : x.outcome;
  const Bytes& r = x.reply;
  if (r.size() >= 5) {
    s.command = HexByte(r[1]);
    s.parameter = HexByte(r[2]);
  }
  // Data runs up to ETX, which is the last byte but one.
  const auto data = [&](std::size_t from) {
    return r.size() >= from + 2 ? HexBytes(ByteView(r).subspan(from, r.size() - 2 - from))
                                : std::string();
  };
  if (x.outcome == "positive" && r.size() >= 6) {
    s.status = EscapedText(ByteView(r).subspan(3, 3));
    s.data = data(6);
  } else if (x.outcome == "negative" && r.size() >= 5) {
    s.error = x.code.empty() ? EscapedText(ByteView(r).subspan(3, 2)) : x.code;
    s.data = data(5);
  }
  return s;
}

}  // namespace

std::vector<ExchangeDifference> CompareExchanges(const SessionExchange& recorded,
                                                 const SessionExchange& now,
                                                 const CompareRules& rules) {
  const bool useKind = !recorded.kind.empty() && !now.kind.empty();
  const Summary a = Summarize(recorded, useKind);
  const Summary b = Summarize(now, useKind);
  std::vector<ExchangeDifference> out;
  const auto compare = [&](const char* field, const std::string& x, const std::string& y) {
    if (x != y) out.push_back({field, x.empty() ? "(none)" : x, y.empty() ? "(none)" : y});
  };
  compare("reply", a.reply, b.reply);
  compare("command", a.command, b.command);
  compare("parameter", a.parameter, b.parameter);
  if (!rules.ignoreStatus) {
    compare("status", a.status, b.status);
    compare("error", a.error, b.error);
  }
  if (!rules.ignoreData) compare("data", a.data, b.data);
  return out;
}

}  // namespace kdx
