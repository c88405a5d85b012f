#include "run_summary.h"

#include <algorithm>

#include "link/reply_catalogue.h"

namespace kdx::run {

namespace {

std::string Two(int value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string ClockTime(const LocalTime& t) {
  std::string ms = std::to_string(t.millisecond);
  ms.insert(0, 3 - std::min<std::size_t>(ms.size(), 3), '0');
  return Two(t.hour) + ":" + Two(t.minute) + ":" + Two(t.second) + "." + ms;
}

std::string Number(const std::optional<std::int64_t>& value) {
  return value ? std::to_string(*value) : "-";
}

// Columns of text, each as wide as its widest cell, two blanks apart;
// numbers right-aligned. The last column is not padded.
std::string Table(const std::vector<std::vector<std::string>>& rows,
                  const std::vector<bool>& right) {
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  std::string out;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) line += "  ";
      const std::size_t pad = widths[i] - row[i].size();
      if (right[i]) line.append(pad, ' ');
      line += row[i];
      if (!right[i] && i + 1 < row.size()) line.append(pad, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

std::string CodeText(const std::string& code) {
  if (code.size() != 2) return code;  // a kind
  const auto text =
      NegativeReplyText(static_cast<std::uint8_t>(code[0]), static_cast<std::uint8_t>(code[1]));
  return code + " (" + (text ? std::string(*text) : "not in the reply catalogue") + ")";
}

}  // namespace

void UnitTally::add(const ExchangeRow& row) {
  const ReplyKind kind = row.verdict.kind;
  const ReplyGroup group = GroupOf(kind);
  if (group == ReplyGroup::NotCounted) return;
  ++exchanges;
  durations_.add(row.durationMs);
  switch (group) {
    case ReplyGroup::NotCounted:  // left above
      return;
    case ReplyGroup::Positive:
      ++positive;
      return;
    case ReplyGroup::Negative:
      if (kind == ReplyKind::Negative) {
        const Bytes& reply = row.record.reply;
        ++negatives[std::string{static_cast<char>(reply.at(3)), static_cast<char>(reply.at(4))}];
      } else {
        ++negatives[KindName(kind)];
      }
      ++negative;
      break;
    case ReplyGroup::NoAnswer:
      ++noAnswer;
      break;
    case ReplyGroup::LinkFailure:
      ++linkFailures;
      break;
  }
  if (!firstFailure) firstFailure = Failure{row.pass, row.line, row.record.time, kind};
}

std::string SummaryText(const std::vector<UnitSummary>& units) {
  std::vector<std::vector<std::string>> rows{
      {"Unit", "Serial number", "Port", "Passes", "Exchanges", "Positive", "Negative", "No answer",
       "Link failures", "Median ms", "p95 ms", "Max ms", "First failure", "End"}};
  const std::vector<bool> right{true, false, false, true, true, true,  true,
                                true, true,  true,  true, true, false, false};
  std::string codes;
  for (const UnitSummary& u : units) {
    const UnitTally& t = u.tally;
    std::string first = "-";
    if (t.firstFailure) {
      const auto& f = *t.firstFailure;
      first = "pass " + std::to_string(f.pass) + ", line " + std::to_string(f.line) + ", " +
              ClockTime(f.time) + " (" + KindName(f.kind) + ")";
    }
    std::string end = "-";
    if (u.end) end = u.end->reason.value_or("done");
    rows.push_back(
        {std::to_string(u.identity.unit), u.identity.serial.empty() ? "-" : u.identity.serial,
         u.identity.port, std::to_string(t.passes), std::to_string(t.exchanges),
         std::to_string(t.positive), std::to_string(t.negative), std::to_string(t.noAnswer),
         std::to_string(t.linkFailures), Number(t.percentileMs(50)), Number(t.percentileMs(95)),
         Number(t.percentileMs(100)), first, end});
    if (t.negatives.empty()) continue;
    codes += "  unit " + std::to_string(u.identity.unit) + " " + u.identity.port + ":";
    const char* separator = " ";
    for (const auto& [code, count] : t.negatives) {
      codes += separator + CodeText(code) + " x " + std::to_string(count);
      separator = ", ";
    }
    codes += "\n";
  }
  std::string text = Table(rows, right);
  if (!codes.empty()) text += "Negative replies:\n" + codes;
  return text;
}

void SummarySink::runStarted(const RunInfo& info) {
  startedMs_ = clock_.nowMs();
  units_.clear();
  for (const UnitIdentity& identity : info.units) units_.push_back({identity, {}, std::nullopt});
}

void SummarySink::unitStarted(const UnitIdentity& identity) {
  at(identity.unit).identity = identity;
}

void SummarySink::runEnded(const LocalTime&, int status) {
  const std::int64_t ms = clock_.nowMs() - startedMs_;
  const std::string seconds = std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100);
  std::fprintf(out_, "kdx846-run: summary after %s s, exit status %d\n%s", seconds.c_str(), status,
               SummaryText(units_).c_str());
  std::fflush(out_);
}

}  // namespace kdx::run
