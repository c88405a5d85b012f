#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "link/session.h"

namespace kdx {

// A reply as ExecuteCommand hands it over: "P" or "N", command code,
// parameter code, three status bytes (or two error code bytes), data, ETX and
// the check byte.
struct Reply {
  Bytes bytes;

  bool positive() const { return !bytes.empty() && bytes[0] == 'P'; }
  bool negative() const { return !bytes.empty() && bytes[0] == 'N'; }
  // Byte at a reply position, 0 past the end.
  std::uint8_t at(std::size_t pos) const { return pos < bytes.size() ? bytes[pos] : 0; }
  // The data of a positive reply: positions 6 to count - 3.
  ByteView data() const;
  std::string dataText() const { return BytesToText(data()); }
};

enum class CommandOutcome {
  NotSent,  // link closed or input refused; nothing went out
  Failed,   // the exchange failed (already reported)
  NoReply,  // EOT sent, no reply
  Positive,
  Negative,      // explained to the operator already
  Unrecognised,  // first reply byte neither "P" nor "N"
};

// What an operation decides from the operator's input before anything is
// sent: the data to send (and, for the few operations whose input chooses it,
// the parameter code), or a refusal. A refusal shows its text, if any, as a
// caution box; `crlf` says whether the monitor still gets the operation's
// closing CR LF.
struct Outgoing {
  bool send = true;
  Bytes data;
  std::optional<std::uint8_t> parameter;
  std::string refusal;
  bool crlf = true;

  static Outgoing Send(Bytes data = {}) { return {true, std::move(data), std::nullopt, {}, true}; }
  static Outgoing SendParameter(std::uint8_t parameter, Bytes data = {}) {
    return {true, std::move(data), parameter, {}, true};
  }
  // Refused with a caution box; the monitor gets its CR LF unless `crlf` is
  // false (the checks that end an operation before its exchange begins).
  static Outgoing Refuse(std::string_view text, bool crlf = true) {
    return {false, {}, std::nullopt, std::string(text), crlf};
  }
  // Given up without a word and without the CR LF (a dialog cancelled).
  static Outgoing Withdraw() { return {false, {}, std::nullopt, {}, false}; }
};

// Link check: false, after the "Comm. Port Setup First" box, when closed.
bool CheckLink(Session& session);

// Builds the command for the current address and runs the transaction; a
// negative reply is explained by the negative-reply report unless
// `explainNegative` is false. An address text that is not a hex number from 0
// to FF is refused before anything is sent.
CommandOutcome Transact(Session& session, std::uint8_t command, std::uint8_t parameter,
                        ByteView data, Reply& reply, bool explainNegative = true);

// Where an operation departs from the standard sequence.
struct CommandHooks {
  // A few operations leave the link check to ExecuteCommand, which shows the
  // same box after the monitor prologue.
  bool checkLinkFirst = true;
  // A negative reply goes here instead of to the negative-reply report.
  std::function<void(const Reply&)> onNegative;
};

// The sequence every command button follows: link check, monitor prologue,
// the check before sending (`check` gives the data or a refusal), the
// transaction, `onPositive` for a positive reply, CR LF epilogue. `reply`,
// when given, receives the reply whatever its kind (empty when none came).
CommandOutcome RunCommand(Session& session, std::uint8_t command, std::uint8_t parameter,
                          const std::function<Outgoing()>& check,
                          const std::function<void(const Reply&)>& onPositive,
                          Reply* reply = nullptr, const CommandHooks& hooks = {});

// The same for an operation whose input needs no check: `data` goes out as it is.
CommandOutcome RunCommand(Session& session, std::uint8_t command, std::uint8_t parameter,
                          ByteView data, const std::function<void(const Reply&)>& onPositive,
                          Reply* reply = nullptr);

// One command button of an area, as a table row. `Context` is what the area's
// operations work on: the session, the area's records and its view. Rows are
// written with designators and name only what they use.
template <class Context>
struct OperationRow {
  // The button: its object name, its caption and the frame (or tab) it
  // stands in.
  std::string_view control = {};
  std::string_view caption = {};
  std::string_view frame = {};

  // The command it sends. An operation whose input chooses the parameter code
  // gives it from `check`.
  std::uint8_t command = 0;
  std::uint8_t parameter = 0;

  // How it runs (see RunCommand and CommandHooks):
  //   - `check` reads and checks the operator's input; none sends no data.
  //   - `checkLinkFirst` false leaves the link check to the transaction.
  //   - `onPositive` shows a positive reply; none shows the box below.
  //   - `onNegative` shows a negative reply; none leaves it to the
  //     negative-reply report.
  Outgoing (*check)(Context&) = nullptr;
  bool checkLinkFirst = true;
  void (*onPositive)(Context&, const OperationRow&, const Reply&) = nullptr;
  void (*onNegative)(Context&, const OperationRow&, const Reply&) = nullptr;

  // The information box of a positive reply: its title, and its text or,
  // where `onPositive` adds the reply's own lines, the heading above them.
  std::string_view boxTitle = {};
  std::string_view boxText = {};
};

// Runs one row through RunCommand.
template <class Context>
CommandOutcome RunOperation(Context& context, const OperationRow<Context>& row) {
  Session& session = context.session;
  CommandHooks hooks;
  hooks.checkLinkFirst = row.checkLinkFirst;
  if (row.onNegative) {
    hooks.onNegative = [&](const Reply& reply) { row.onNegative(context, row, reply); };
  }
  return RunCommand(
      session, row.command, row.parameter,
      [&]() { return row.check ? row.check(context) : Outgoing::Send(); },
      [&](const Reply& reply) {
        if (row.onPositive) {
          row.onPositive(context, row, reply);
        } else {
          session.messages.show(row.boxTitle, row.boxText, Icon::Information);
        }
      },
      nullptr, hooks);
}

// The row of a table by control name, or nullptr.
template <class Row>
const Row* FindRow(std::span<const Row> rows, std::string_view control) {
  for (const Row& row : rows) {
    if (row.control == control) return &row;
  }
  return nullptr;
}

}  // namespace kdx
