#include "session_sinks.h"

#include <cerrno>
#include <cstring>

#include "link/frame.h"
#include "run_output.h"

namespace kdx::run {

namespace {

std::string_view OutcomeOf(ReplyKind kind) {
  switch (GroupOf(kind)) {
    case ReplyGroup::Positive:
      return "positive";
    case ReplyGroup::Negative:
      return kind == ReplyKind::Negative ? "negative" : "other";
    case ReplyGroup::NoAnswer:
      return "no-answer";
    case ReplyGroup::NotCounted:
      return "cancelled";
    case ReplyGroup::LinkFailure:
      break;
  }
  return "link-failure";
}

// A port's name as part of a file name.
std::string PortPart(const std::string& port) {
  std::string name = port.substr(port.find_last_of('/') + 1);
  for (char& c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    if (!plain) c = '_';
  }
  return name.empty() ? "port" : name;
}

// "line 3 (C10), pass 1": the script line by its number and text.
std::string LineName(const SessionExchange& x) {
  std::string name = "line " + std::to_string(x.line);
  if (x.sent.size() > 6) {
    const std::size_t text =
        std::min<std::size_t>(ReplyTextLength(ByteView(x.sent).first(4)), x.sent.size() - 4);
    name += " (" + EscapedText(ByteView(x.sent).subspan(4, text)) + ")";
  }
  return name + ", pass " + std::to_string(x.pass);
}

}  // namespace

SessionExchange SessionExchangeOfRow(const ExchangeRow& row, std::uint64_t number) {
  SessionExchange x;
  x.number = number;
  x.source = "script";
  x.pass = row.pass;
  x.line = row.line;
  x.time = IsoLocalTime(row.record.time);
  x.sent = row.record.sent;
  x.received = row.arrived;
  x.host = row.hostSent;
  x.outcome = OutcomeOf(row.verdict.kind);
  x.kind = KindName(row.verdict.kind);
  x.detail = row.verdict.reason;
  x.reply = row.record.reply;
  if (row.verdict.kind == ReplyKind::Negative && x.reply.size() >= 5)
    x.code = BytesToText(ByteView(x.reply).subspan(3, 2));
  x.ms = row.durationMs;
  return x;
}

std::vector<std::string> RecordPaths(const std::string& path,
                                     const std::vector<std::string>& ports) {
  if (ports.size() <= 1) return {path};
  const std::size_t slash = path.find_last_of('/');
  std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1))
    dot = path.size();
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    std::string name = path.substr(0, dot) + "-" + PortPart(ports[i]);
    for (const std::string& before : paths) {
      if (before == name + path.substr(dot)) name += "-" + std::to_string(i + 1);
    }
    paths.push_back(name + path.substr(dot));
  }
  return paths;
}

std::unique_ptr<SessionRecorder> SessionRecorder::Open(const Settings& settings,
                                                       std::string& error) {
  std::unique_ptr<SessionRecorder> recorder(new SessionRecorder(settings));
  for (const std::string& path : RecordPaths(settings.path, settings.ports)) {
    File file;
    file.path = path;
    file.file = std::fopen(path.c_str(), "wb");
    if (!file.file) {
      error = "--record " + path + ": " + std::strerror(errno);
      return nullptr;
    }
    recorder->files_.push_back(std::move(file));
  }
  return recorder;
}

SessionRecorder::~SessionRecorder() {
  for (File& file : files_) {
    if (file.file) std::fclose(file.file);
  }
}

void SessionRecorder::runStarted(const RunInfo& info) {
  started_ = IsoLocalTime(info.started);
}

void SessionRecorder::write(File& file, const std::string& line) {
  if (error_ || !file.file) return;
  // Out at once: a run killed later keeps this line.
  if (std::fputs((line + "\n").c_str(), file.file) < 0 || std::fflush(file.file) != 0)
    error_ = "cannot write " + file.path + ": " + std::strerror(errno);
}

void SessionRecorder::unitStarted(const UnitIdentity& identity) {
  if (identity.unit < 1 || static_cast<std::size_t>(identity.unit) > files_.size()) return;
  SessionHeader header;
  header.tool = settings_.tool;
  header.port = identity.port;
  header.path = identity.path;
  header.baud = settings_.baud;
  header.address = settings_.address;
  header.serial = identity.serial;
  header.configuration = identity.configuration;
  header.started = started_;
  File& file = files_[static_cast<std::size_t>(identity.unit - 1)];
  write(file, SessionHeaderLine(header));
  for (SessionExchange read : identity.reads) {
    read.number = file.next++;
    write(file, SessionExchangeLine(read));
  }
}

void SessionRecorder::exchange(const ExchangeRow& row) {
  if (row.unit < 1 || static_cast<std::size_t>(row.unit) > files_.size()) return;
  File& file = files_[static_cast<std::size_t>(row.unit - 1)];
  write(file, SessionExchangeLine(SessionExchangeOfRow(row, file.next++)));
}

ExpectSink::ExpectSink(SessionFile recording, CompareRules rules, std::FILE* err, bool nameUnits)
    : recording_(std::move(recording)), rules_(rules), err_(err), nameUnits_(nameUnits) {
  for (std::size_t i = 0; i < recording_.exchanges.size(); ++i) {
    const SessionExchange& x = recording_.exchanges[i];
    if (x.line > 0) byLine_.emplace(std::make_pair(x.pass, x.line), i);
  }
}

void ExpectSink::unitStarted(const UnitIdentity& identity) {
  ports_[identity.unit] = identity.port;
}

void ExpectSink::say(int unit, const std::string& text) {
  ++differences_;
  std::string line = "kdx846-run: ";
  if (nameUnits_) line += ports_[unit] + ": ";
  line += text;
  if (print_) return print_(line);
  std::fputs((line + "\n").c_str(), err_);
  std::fflush(err_);
}

void ExpectSink::exchange(const ExchangeRow& row) {
  const SessionExchange now = SessionExchangeOfRow(row, 0);
  seen_[row.unit].insert({row.pass, row.line});
  const auto found = byLine_.find({row.pass, row.line});
  if (found == byLine_.end()) {
    say(row.unit, LineName(now) + ": reply: recorded (none), now " + now.kind);
    return;
  }
  const SessionExchange& recorded = recording_.exchanges[found->second];
  for (const ExchangeDifference& d : CompareExchanges(recorded, now, rules_))
    say(row.unit, LineName(now) + ": " + d.field + ": recorded " + d.recorded + ", now " + d.now);
}

void ExpectSink::unitEnded(const UnitEnd& end) {
  const std::set<std::pair<int, int>>& seen = seen_[end.unit];
  for (const auto& [key, index] : byLine_) {
    if (seen.count(key)) continue;
    const SessionExchange& recorded = recording_.exchanges[index];
    const std::string reply = recorded.kind.empty() ? recorded.outcome : recorded.kind;
    say(end.unit, LineName(recorded) + ": reply: recorded " + reply + ", now (not run)");
  }
}

}  // namespace kdx::run
