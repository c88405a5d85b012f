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
// operations work on: the session, the area's records and its view.
//   - `check` reads and checks the operator's input; none sends no data.
//   - `onPositive` shows a positive reply; none shows the row's `title` and
//     `text` in an information box.
template <class Context>
struct OperationRow {
  std::string_view control;  // the button's object name
  std::string_view caption;
  std::string_view frame;  // the frame (or tab) the button stands in
  std::uint8_t command;
  std::uint8_t parameter;
  Outgoing (*check)(Context&) = nullptr;
  void (*onPositive)(Context&, const OperationRow&, const Reply&) = nullptr;
  std::string_view title;
  std::string_view text;
};

// Runs one row through RunCommand.
template <class Context>
CommandOutcome RunOperation(Context& context, const OperationRow<Context>& row) {
  Session& session = context.session;
  return RunCommand(
      session, row.command, row.parameter,
      [&]() { return row.check ? row.check(context) : Outgoing::Send(); },
      [&](const Reply& reply) {
        if (row.onPositive) {
          row.onPositive(context, row, reply);
        } else {
          session.messages.show(row.title, row.text, Icon::Information);
        }
      });
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
