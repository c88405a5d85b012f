#pragma once

#include <cstdint>
#include <optional>

#include "link/receive.h"
#include "link/session.h"

namespace kdx {

// Size of the reply buffer every caller passes.
inline constexpr std::size_t kReplyBufferSize = 1025;

// How one caller exchanges a command frame: who talks, its time limits, and
// what it makes of the EOT path.
struct ExchangeRules {
  TrafficSource source;
  ReceiveLimits receive;
  // How long to listen for an answer to the EOT.
  std::int64_t afterEotMs;
  // The command transaction's EOT path: a port error while sending EOT or
  // reading its answer ends the exchange as a port error, and a single byte
  // answering it is a stray. Without it (the console), EOT goes out and the
  // line is listened to whatever the port says, and any answer is late bytes.
  bool strictEot;
};

// Where an exchange stopped.
enum class ExchangeStage {
  Send,      // writing the command failed
  Ack,       // no ACK: nothing in time, another byte, or a port error
  Head,      // the port failed while waiting for the reply head
  Rest,      // the head came, the rest did not (or the port failed)
  Confirm,   // writing the host's ACK failed
  AfterEot,  // no head came: EOT sent, and what answered it heard
  Done,      // a complete reply came and was acknowledged
};

// What one exchange came to. `end` is how it ended in the traffic rows'
// terms: Reply only for a complete reply that fits the reply buffer.
struct ExchangeOutcome {
  ExchangeStage stage = ExchangeStage::Send;
  TrafficEnd end = TrafficEnd::PortError;
  std::optional<std::uint8_t> ack;  // the first byte after the command, when one came in time
  Bytes head;                       // the four head bytes, once read
  Bytes reply;                      // from "P" or "N" through ETX and the check byte
  Bytes trailing;                   // bytes after the reply frame in the same read
  // What had come of a rest that did not come in full. No log hears it: it
  // is read only so that the outcome holds every byte that arrived.
  Bytes partial;
  Bytes late;  // what answered the EOT
  // The port's error, when a port operation failed during the exchange.
  std::optional<PortFault> fault;

  bool replied() const { return end == TrafficEnd::Reply; }
  // Every byte the device sent, in the order it came.
  Bytes received() const;
};

// Hears one exchange as it happens, for the caller's own log (the monitor's
// lines, the console's lists). Each call comes before the next wait, so the
// log shows what arrived even when a later wait fails.
class ExchangeLog : public ReceiveLog {
 public:
  // The command was written, or (`written` false) the port refused it.
  virtual void sent(ByteView frame, bool written) = 0;
  // The host's ACK after a reply, or its EOT when no head came.
  virtual void control(std::uint8_t byte) = 0;
  // What answered the EOT.
  virtual void late(ByteView bytes) = 0;
  // The exchange is over; its traffic row closes next.
  virtual void finished(const ExchangeOutcome&) {}
};

// The exchange of one command frame, the same for every caller: discards
// waiting input and unsent output, writes `frame`, receives the reply within
// the rules' limits, acknowledges a complete reply, or sends EOT when no head
// came and listens for what answers it; a reply longer than the reply buffer
// ends as TooLong (after its ACK). The log hears each event, and the session's
// traffic observer gets the exchange's row, closed before this returns. Shows
// no box and changes no state: the result, the boxes and the link are the
// caller's.
ExchangeOutcome ExchangeFrame(Session& session, ByteView frame, const ExchangeRules& rules,
                              ExchangeLog& log);

// Copies `reply` into a caller's reply buffer, grown to kReplyBufferSize when
// smaller, as far as the buffer holds it. Returns the reply's size.
std::size_t CopyReply(ByteView reply, Bytes& buffer);

}  // namespace kdx
