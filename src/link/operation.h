#pragma once

#include <functional>

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
  NotSent,       // link closed or input refused; nothing went out
  Failed,        // the exchange failed (already reported)
  NoReply,       // EOT sent, no reply
  Positive,
  Negative,      // explained to the operator already
  Unrecognised,  // first reply byte neither "P" nor "N"
};

// Link check: false, after the "Comm. Port Setup First" box, when closed.
bool CheckLink(Session& session);

// Builds the command for the current address and runs the transaction; a
// negative reply is explained by the negative-reply report. An address text
// that is not a hex number from 0 to FF is refused before anything is sent.
CommandOutcome Transact(Session& session, std::uint8_t command, std::uint8_t parameter,
                        ByteView data, Reply& reply);

// The sequence every command button follows: link check, monitor prologue,
// the transaction, `onPositive` for a positive reply, CR LF epilogue.
CommandOutcome RunCommand(Session& session, std::uint8_t command, std::uint8_t parameter,
                          ByteView data, const std::function<void(const Reply&)>& onPositive);

}  // namespace kdx
