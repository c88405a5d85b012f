#pragma once

// Synthetic records of kdx846-run for its sinks: a run, its units and
// exchanges of each reply kind, without a line or a device.
#include <string>

#include "console/command_line.h"
#include "run_record.h"

namespace kdx::test {

// The script every synthetic run sends: three command lines.
inline constexpr const char* kRunScript = "C10\r\nC11\r\nC12\r\n";

inline run::RunInfo RunInfoFor(const std::vector<run::UnitIdentity>& units) {
  run::RunInfo info;
  info.scriptPath = "burn-in.txt";
  info.scriptText = kRunScript;
  info.scriptHash = std::string(64, 'a');
  info.arguments = {"burn-in.txt", "--port", "COM3", "--repeat", "2"};
  info.started = {2026, 5, 3, 10, 0, 0, 0};
  info.units = units;
  return info;
}

inline run::UnitIdentity UnitFor(int unit, std::string port, std::string serial) {
  return {unit, port, "/dev/ttyS" + std::to_string(unit), std::move(serial), "A1"};
}

// One exchange of `line` (1 to 3: C10, C11, C12) that ended as `kind`: a
// negative reply carries `code`, a positive one the status "000", and every
// other kind the `reason` given.
inline run::ExchangeRow RowFor(int unit, int pass, int line, run::ReplyKind kind,
                               const std::string& code = "10", const std::string& reason = {}) {
  run::ExchangeRow row;
  row.unit = unit;
  row.pass = pass;
  row.line = line;
  row.durationMs = 10 + line;
  row.verdict = {kind, reason};
  ExchangeRecord& r = row.record;
  r.time = {2026, 5, 3, 10, pass % 60, line, 5};
  const std::string text = "C1" + std::to_string(line - 1);
  r.sent = BuildConsoleFrame(0, Bytes(text.begin(), text.end()));
  if (kind == run::ReplyKind::Cancelled) {
    r.sent = {kEot};
    r.end = ExchangeEnd::Cancelled;
    return row;
  }
  if (kind == run::ReplyKind::NoAck) {
    r.end = ExchangeEnd::NoAck;
    return row;
  }
  r.outcome.ack = kAck;
  if (kind != run::ReplyKind::Positive && kind != run::ReplyKind::Negative) {
    r.end = ExchangeEnd::Failed;
    return row;
  }
  const bool positive = kind == run::ReplyKind::Positive;
  r.end = positive ? ExchangeEnd::Positive : ExchangeEnd::Negative;
  r.reply = {static_cast<std::uint8_t>(positive ? 'P' : 'N'), r.sent[5], r.sent[6]};
  for (char c : positive ? std::string("000") : code)
    r.reply.push_back(static_cast<std::uint8_t>(c));
  r.reply.push_back(kEtx);
  r.reply.push_back(0x5A);  // the check byte: the sinks take the verdict as given
  r.outcome.head = {kStx, 0, 0, static_cast<std::uint8_t>(r.reply.size() - 2)};
  r.outcome.reply = r.reply;
  r.outcome.end = TrafficEnd::Reply;
  r.outcome.stage = ExchangeStage::Done;
  return row;
}

}  // namespace kdx::test
