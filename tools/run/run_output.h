#pragma once

#include <string>

#include "console/console_transaction.h"
#include "link/messages.h"
#include "run_options.h"

namespace kdx::run {

// The console's view without a window: in text format each list entry is
// added to text() as a line (UTF-8, ended by a line feed) as it is added to
// the list, for the run to hand on after the exchange.
class RunView final : public ConsoleView {
 public:
  explicit RunView(Format format) : text_(format == Format::Text) {}

  std::string& text() { return out_; }

  void addEntry(ConsoleList list, std::string_view entry) override;
  void clearList(ConsoleList list) override { counts_[Index(list)] = 0; }
  std::size_t entryCount(ConsoleList list) override { return counts_[Index(list)]; }
  void selectLastEntry(ConsoleList) override {}
  void showBuiltLine(LineBuffer, std::string_view) override {}
  std::string scriptText() override { return script_; }
  void setScriptText(std::string_view text) override { script_ = text; }
  void highlightLine(int) override {}
  std::string repeatText() override { return "1"; }
  void setLabel(ConsoleLabel, std::string_view) override {}
  void setButtons(const ButtonStates&) override {}

 private:
  static int Index(ConsoleList list) { return list == ConsoleList::History ? 0 : 1; }
  bool text_;
  std::string out_;
  std::string script_;
  std::size_t counts_[2] = {0, 0};
};

// A message box as the runner prints it on standard error, after its
// "kdx846-run: " (and the unit's name): "Caution: ..." with each further
// line of the text indented by two blanks; UTF-8, no line feed at the end.
std::string MessageText(std::string_view title, std::string_view text);

// What the runner makes of an exchange. Finer than the console's view: a
// reply the console shows as positive is not one here when its check byte is
// wrong, when it answers another command or parameter, or when it is too
// short to hold its own fields; a NAK, another byte and silence are told
// apart, and so are a lost port and other failures.
enum class ReplyKind {
  Positive,    // "positive"
  Negative,    // "negative"
  Other,       // "other": neither "P" nor "N"
  BadCheck,    // "bad-check": the check byte does not match
  WrongReply,  // "wrong-reply": the reply names another command or parameter
  ShortReply,  // "short-reply": fewer text bytes than its fields take
  Nak,         // "nak": NAK (15h) instead of ACK
  NotAck,      // "not-ack": another byte instead of ACK
  NoAck,       // "no-ack": nothing within the ACK's time limit
  NoHead,      // "no-head": ACK, but no reply head; EOT sent
  Failed,      // "failed": the rest did not come, too long a reply, a port error
  PortLost,    // "port-lost": the port's device went away
  Stopped,     // "stopped": "Stop" before the command went out
  Cancelled,   // "cancelled": EOT went out instead of the command
};

struct ReplyVerdict {
  ReplyKind kind = ReplyKind::Failed;
  std::string reason;  // why, where the kind alone does not say; UTF-8
};

ReplyVerdict Classify(const ExchangeRecord& record);
const char* KindName(ReplyKind kind);

// Where a kind counts in the summary, the live progress, the recordings and
// the exit status: a reply that came but is not positive is negative, no
// answer is a link failure for the status but counted on its own, and an
// exchange stopped or cancelled before its command went out is not counted.
enum class ReplyGroup { NotCounted, Positive, Negative, NoAnswer, LinkFailure };
ReplyGroup GroupOf(ReplyKind kind);

// One exchange as a JSON object on one line: time, line and pass, the bytes
// sent, the reply's kind and reason, codes and data, and every byte received.
std::string ExchangeJson(const ExchangeRecord& record, int line, int pass);

// One exchange's record in the text format, after the console's lines:
// "Result: KIND (REASON); received: BYTES".
std::string ExchangeText(const ExchangeRecord& record);

// The exit status the exchanges so far call for.
class Outcome {
 public:
  void add(ReplyKind kind);
  void add(const ExchangeRecord& record) { add(Classify(record).kind); }
  int status() const;

 private:
  bool negative_ = false;
  bool linkFailed_ = false;
  bool cancelled_ = false;
};

// A local time as ISO 8601 to the millisecond: "2026-12-08T09:05:03.007".
std::string IsoLocalTime(const LocalTime& time);

}  // namespace kdx::run
