#include "junit_report.h"

#include <algorithm>

#include "atomic_file.h"
#include "console/console_run.h"
#include "link/bytes.h"
#include "link/conversions.h"
#include "link/reply_catalogue.h"

namespace kdx::run {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kUnfinished =
    "the run had not ended when this file was written: the runner is still running, or was "
    "stopped before it could write its results";

std::string Bracketed(unsigned value) {
  const char* hex = "0123456789ABCDEF";
  std::string out = "[";
  if (value > 0xFF) {
    out += hex[(value >> 12) & 15];
    out += hex[(value >> 8) & 15];
  }
  out += hex[(value >> 4) & 15];
  out += hex[value & 15];
  return out + "h]";
}

// The length of the UTF-8 sequence at `at` and its code point; 0 when the
// bytes there are not UTF-8 (overlong forms and surrogates included).
std::size_t DecodeUtf8(std::string_view s, std::size_t at, unsigned& code) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[at + i]); };
  const unsigned lead = b(0);
  const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (size == 0 || lead > 0xF4 || at + size > s.size()) return 0;
  code = lead & (0x7F >> size);
  for (std::size_t i = 1; i < size; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (b(i) & 0x3F);
  }
  constexpr unsigned kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kMin[size] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return size;
}

std::string Seconds(std::int64_t ms) {
  ms = std::max<std::int64_t>(ms, 0);
  std::string fraction = std::to_string(ms % 1000);
  fraction.insert(0, 3 - fraction.size(), '0');
  return std::to_string(ms / 1000) + "." + fraction;
}

std::string Attribute(const char* name, std::string_view utf8) {
  return std::string(" ") + name + "=\"" + XmlText(utf8, true) + "\"";
}

std::string Attribute(const char* name, std::int64_t value) {
  return std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
}

std::string SuiteName(const UnitIdentity& unit) {
  const std::string who =
      unit.serial.empty() ? "unit " + std::to_string(unit.unit) : Latin1ToUtf8(unit.serial);
  return who + " on " + unit.port;
}

// ISO 8601 to the second, as JUnit readers take a suite's timestamp.
std::string Timestamp(const LocalTime& t) {
  const std::string iso = IsoLocalTime(t);
  return iso.substr(0, iso.find('.'));
}

enum class CaseResult { Passed, Failure, Error, Skipped };

CaseResult ResultOf(ReplyKind kind) {
  switch (kind) {
    case ReplyKind::Positive:
      return CaseResult::Passed;
    case ReplyKind::Negative:
    case ReplyKind::Other:
    case ReplyKind::BadCheck:
    case ReplyKind::WrongReply:
    case ReplyKind::ShortReply:
      return CaseResult::Failure;
    case ReplyKind::Stopped:
    case ReplyKind::Cancelled:
      return CaseResult::Skipped;
    default:
      return CaseResult::Error;
  }
}

// A negative reply's message (the catalogue's text for its code) and the
// first line of its details.
std::pair<std::string, std::string> NegativeText(const Bytes& reply) {
  const std::string code = Latin1ToUtf8(BytesToText(ByteView(reply).subspan(3, 2)));
  const auto text = NegativeReplyText(reply[3], reply[4]);
  if (!text)
    return {"error code " + code + ", not in the reply catalogue", "error code " + code + "\n"};
  const std::string message = Latin1ToUtf8(*text);
  return {message, "error code " + code + ": " + message + "\n"};
}

std::string TestCase(const std::string& name, const std::string& classname, std::int64_t ms,
                     const std::string& inner) {
  std::string xml = "    <testcase" + Attribute("name", name) + Attribute("classname", classname) +
                    " time=\"" + Seconds(ms) + "\"";
  return xml + (inner.empty() ? "/>\n" : ">\n" + inner + "    </testcase>\n");
}

std::string ResultElement(const char* element, const std::string& type, const std::string& message,
                          const std::string& details) {
  std::string xml =
      std::string("      <") + element + Attribute("type", type) + Attribute("message", message);
  if (details.empty()) return xml + "/>\n";
  return xml + ">" + XmlText(details) + "</" + element + ">\n";
}

}  // namespace

std::string XmlText(std::string_view s, bool attribute) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      unsigned code = 0;
      const std::size_t size = DecodeUtf8(s, i, code);
      if (size == 0) {
        out += Bracketed(c);
        ++i;
      } else {
        // C1 controls (a device's byte 80h to 9Fh) and the two non-characters
        // are shown by their codes.
        if (code <= 0x9F || code == 0xFFFE || code == 0xFFFF)
          out += Bracketed(code);
        else
          out.append(s, i, size);
        i += size;
      }
      continue;
    }
    ++i;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += attribute ? "&quot;" : "\"";
        break;
      case '\t':
      case '\n':
        // An attribute's reader turns a raw tab or line end into a blank.
        out += attribute ? (c == '\t' ? "&#9;" : "&#10;") : std::string(1, static_cast<char>(c));
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        if (c < 0x20 || c == 0x7F)
          out += Bracketed(c);
        else
          out += static_cast<char>(c);
    }
  }
  return out;
}

JUnitReport::JUnitReport(std::string path, double checkpointSeconds)
    : path_(std::move(path)),
      checkpoint_(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(checkpointSeconds))),
      started_(Clock::now()) {}

std::optional<std::string> JUnitReport::start() {
  if (auto problem = ReportPathProblem(path_)) return "--junit: " + *problem;
  write();
  return failure_ ? std::optional<std::string>("--junit: " + *failure_) : std::nullopt;
}

JUnitReport::Suite& JUnitReport::suite(int unit) {
  auto [at, added] = suites_.try_emplace(unit);
  if (added) {
    at->second.identity.unit = unit;
    for (const auto& known : info_.units)
      if (known.unit == unit) at->second.identity = known;
  }
  return at->second;
}

void JUnitReport::runStarted(const RunInfo& info) {
  info_ = info;
  started_ = Clock::now();
  const std::string script = TidyScript(info.scriptText);
  const auto count = static_cast<std::int32_t>(ScriptLineCount(script));
  for (std::int32_t i = 0; i < count; ++i)
    lines_.push_back(Latin1ToUtf8(TrimBlanks(ReadTextLine(script, i))));
  for (const auto& unit : info.units) suite(unit.unit);
  write();
}

void JUnitReport::unitStarted(const UnitIdentity& unit) {
  suite(unit.unit).identity = unit;
}

void JUnitReport::exchange(const ExchangeRow& row) {
  Suite& s = suite(row.unit);
  const std::size_t index = static_cast<std::size_t>(row.line) - 1;
  std::string name = "pass " + std::to_string(row.pass) + ", line " + std::to_string(row.line);
  if (row.line >= 1 && index < lines_.size()) name += ": " + lines_[index];
  const ExchangeRecord& r = row.record;
  const Bytes received = r.outcome.received();
  const std::string bytes = "sent: " + HexBytes(r.sent) +
                            "\nreceived: " + (received.empty() ? "nothing" : HexBytes(received));
  const std::string kind = KindName(row.verdict.kind);
  const std::string reason = row.verdict.reason.empty() ? kind : row.verdict.reason;
  std::string inner;
  switch (ResultOf(row.verdict.kind)) {
    case CaseResult::Passed:
      break;
    case CaseResult::Failure:
      ++s.failures;
      if (row.verdict.kind == ReplyKind::Negative && r.reply.size() >= 5) {
        const auto [message, first] = NegativeText(r.reply);
        inner = ResultElement("failure", kind, message, first + bytes);
      } else {
        inner = ResultElement("failure", kind, reason, bytes);
      }
      break;
    case CaseResult::Error:
      ++s.errors;
      inner = ResultElement("error", kind, reason, bytes);
      break;
    case CaseResult::Skipped:
      ++s.skipped;
      inner = "      <skipped" +
              Attribute("message", row.verdict.kind == ReplyKind::Cancelled
                                       ? "cancelled: EOT went out instead of the command"
                                       : "stopped before the command went out") +
              "/>\n";
      break;
  }
  ++s.tests;
  s.timeMs += row.durationMs;
  s.cases += TestCase(name, SuiteName(s.identity), row.durationMs, inner);
}

void JUnitReport::passEnded(int, int) {
  const auto since = Clock::now() - lastWrite_;
  if (checkpoint_ == Clock::duration::zero() ||
      (since >= checkpoint_ && since >= 20 * lastWriteTook_))
    write();
}

void JUnitReport::unitEnded(const UnitEnd& end) {
  Suite& s = suite(end.unit);
  s.ended = true;
  if (end.reason) s.endReason = *end.reason;
  // A unit the port failed for before its first error (it could not be
  // opened, or went away while it was being identified) is not a pass.
  if (end.status == kExitLink && s.errors == 0) {
    ++s.errors;
    ++s.tests;
    const std::string message = end.reason ? *end.reason : "the port failed";
    s.cases += TestCase("end of unit " + std::to_string(end.unit), SuiteName(s.identity), 0,
                        ResultElement("error", "unit", message, {}));
  }
}

void JUnitReport::runEnded(const LocalTime&, int) {
  runEnded_ = true;
  write();
}

std::string JUnitReport::render() const {
  struct Totals {
    int tests = 0, failures = 0, errors = 0, skipped = 0;
  } all;
  std::string body;
  const auto unfinished = [](const std::string& classname) {
    return TestCase("unfinished", classname, 0,
                    ResultElement("error", "unfinished", kUnfinished, {}));
  };
  const auto addSuite = [&](const std::string& name, const Totals& t, std::int64_t ms,
                            const std::string& inner) {
    body += "  <testsuite" + Attribute("name", name) + Attribute("tests", t.tests) +
            Attribute("failures", t.failures) + Attribute("errors", t.errors) +
            Attribute("skipped", t.skipped) + " time=\"" + Seconds(ms) + "\"" +
            (info_.started.year ? Attribute("timestamp", Timestamp(info_.started)) : "") + ">\n" +
            inner + "  </testsuite>\n";
    all.tests += t.tests;
    all.failures += t.failures;
    all.errors += t.errors;
    all.skipped += t.skipped;
  };
  for (const auto& [unit, s] : suites_) {
    const std::string name = SuiteName(s.identity);
    std::string inner = "    <properties>\n";
    const auto property = [&inner](const char* key, const std::string& value) {
      inner += "      <property" + Attribute("name", key) + Attribute("value", value) + "/>\n";
    };
    property("unit", std::to_string(unit));
    property("port", s.identity.port);
    property("path", s.identity.path);
    property("serial", Latin1ToUtf8(s.identity.serial));
    property("configuration", Latin1ToUtf8(s.identity.configuration));
    property("script", info_.scriptPath);
    property("script-sha256", info_.scriptHash);
    inner += "    </properties>\n" + s.cases;
    Totals t{s.tests, s.failures, s.errors, s.skipped};
    if (!s.ended) {
      inner += unfinished(name);
      ++t.tests;
      ++t.errors;
    }
    if (!s.endReason.empty())
      inner += "    <system-err>" + XmlText(s.endReason) + "</system-err>\n";
    addSuite(name, t, s.timeMs, inner);
  }
  if (suites_.empty() && !runEnded_)
    addSuite("kdx846-run", {1, 0, 1, 0}, 0, unfinished("kdx846-run"));
  const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_);
  std::string name = "kdx846-run";
  if (!info_.scriptPath.empty()) name += " " + info_.scriptPath;
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" + Attribute("name", name) +
         Attribute("tests", all.tests) + Attribute("failures", all.failures) +
         Attribute("errors", all.errors) + Attribute("skipped", all.skipped) + " time=\"" +
         Seconds(wall.count()) + "\">\n" + body + "</testsuites>\n";
}

void JUnitReport::write() {
  if (failure_) return;
  const auto begin = Clock::now();
  if (auto problem = WriteFileAtomically(path_, render())) failure_ = *problem;
  lastWrite_ = Clock::now();
  lastWriteTook_ = lastWrite_ - begin;
}

}  // namespace kdx::run
