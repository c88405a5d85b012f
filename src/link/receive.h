#pragma once

#include <cstdint>
#include <optional>

#include "link/clock.h"
#include "link/serial_line.h"

namespace kdx {

// How long each wait of a reply may take, in milliseconds.
struct ReceiveLimits {
  // For the device's ACK. 0 takes only a byte that is already waiting (the
  // scan's probe, which has slept before looking).
  std::int64_t ackMs;
  // For the reply head (STX, address, two length bytes) after the ACK.
  std::int64_t headMs;
  // For the rest: the text the length announces, ETX and the check byte.
  std::int64_t restMs;
  // Whether a missing ACK ends the receive. The command transaction waits
  // for the head anyway, since a unit may skip its ACK.
  bool ackRequired;
};

// Where a receive stopped.
enum class ReceiveStage { Ack, Head, Rest, Done };

// What came back for one command.
struct Received {
  ReceiveStage stoppedAt = ReceiveStage::Ack;
  // The port reported an error; otherwise the stage timed out, or the ACK
  // byte was not ACK.
  bool portError = false;
  std::optional<std::uint8_t> ack;  // the first byte, when one came in time
  Bytes head;                       // the four head bytes, once read
  // The rest as the length field announces it: text, ETX and check byte.
  Bytes rest;
  // Bytes that came after the reply frame in the same read (line noise, a
  // stray byte): shown in the log, never part of the reply.
  Bytes trailing;

  bool complete() const { return stoppedAt == ReceiveStage::Done; }
};

// Hears each part of a reply as soon as it is read, before the next wait
// begins, so that a log (the monitor) shows what arrived even when a later
// wait fails, and a caller can act between the waits.
class ReceiveLog {
 public:
  virtual ~ReceiveLog() = default;
  virtual void ack(std::uint8_t byte) = 0;
  virtual void head(ByteView head) = 0;
  // Everything read after the head: the rest and any bytes trailing it.
  virtual void rest(ByteView arrived) = 0;
};

// Receives the device's answer to a command just written: its ACK, then the
// reply head, then the rest (the announced text length plus ETX and the check
// byte), each within its limit on `clock`. The reply ends where its length
// field says. Waits sleep in the operating system. Writes nothing:
// acknowledging the reply, or sending EOT when the head did not come, is the
// caller's part.
Received ReceiveReply(SerialLine& line, Clock& clock, const ReceiveLimits& limits,
                      ReceiveLog* log = nullptr);

// XOR of the head and every further byte but the last equals the last.
bool CheckByteMatches(ByteView head, ByteView rest);

}  // namespace kdx
