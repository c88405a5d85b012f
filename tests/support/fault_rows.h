#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "link/session.h"
#include "link/transaction.h"
#include "model/faults.h"

namespace kdx::test {

// What one "Card Status" exchange (address 0, F2 00 00 03 43 31 30 03 B0)
// with a simulated unit in a fault mode comes to, with the simulator's
// default 5 ms latency, a fresh stock and no card in the channel. The unit
// test checks these on virtual time through ExecuteCommand; the end-to-end
// test checks the same rows through the window, the real serial adapter and
// kdx846-sim on real time.
struct FaultRow {
  sim::Fault fault;
  std::string_view mode;  // the simulator's name of the fault
  int result;             // ExecuteCommand's result
  int replyCount;
  std::int64_t tookMs;   // how long the exchange lasts
  std::string_view box;  // the box the transaction shows, empty for none
  // What the transaction writes to the monitor after the command line; with
  // `endOnly`, only how the monitor ends (the reply is too long or too random
  // to spell out).
  std::string_view monitorAfterCommand;
  bool endOnly = false;
};

inline constexpr std::string_view kCardStatusLine = "SD: F2 00 00 03 43 31 30 03 B0 \r\n";

inline constexpr FaultRow kFaultRows[] = {
    {sim::Fault::Off, "off", kExchangeDone, 8, 10, "",
     "RD: 06\r\nRD: F2 00 00 06 50 31 30 30 32 30 03 94 \r\nSD: 06\r\n"},
    {sim::Fault::Nak, "nak", kExchangeFailed, 0, 5, kUnitNotDetected, "RD: 15\r\n\r\n"},
    {sim::Fault::NoAck, "no-ack", kExchangeDone, 8, 3500, "",
     "RD: F2 00 00 06 50 31 30 30 32 30 03 94 \r\nSD: 06\r\n"},
    {sim::Fault::Silent, "silent", kExchangeNoReply, 0, 12000, "", "SD: 04\r\n"},
    // ACK at 5 ms, no head within 6 s of it, EOT, then 3 s of nothing: the
    // EOT cancelled the reply due at 7 s.
    {sim::Fault::LateHead, "late-head", kExchangeNoReply, 0, 9005, "", "RD: 06\r\nSD: 04\r\n"},
    {sim::Fault::Truncated, "truncated", kExchangeFailed, 0, 6010, kCheckData,
     "RD: 06\r\nRD: F2 00 00 06 \r\n"},
    // The transaction does not look at the check byte.
    {sim::Fault::BadBcc, "bad-bcc", kExchangeDone, 8, 10, "",
     "RD: 06\r\nRD: F2 00 00 06 50 31 30 30 32 30 03 6B \r\nSD: 06\r\n"},
    {sim::Fault::Oversize, "oversize", kExchangeFailed, 1102, 10, kCheckData, "SD: 06\r\n\r\n",
     true},
    // Random bytes after the ACK: their "length" is more than the rest.
    {sim::Fault::Garbage, "garbage", kExchangeFailed, 0, 6010, kCheckData, " \r\n", true},
};

// The longest an exchange on this row's path may last: ACK, head and rest
// when a reply came, ACK, head and the wait after EOT when none did.
inline std::int64_t StatedLimitMs(const FaultRow& row) {
  if (row.result == kExchangeNoReply) return kAckWaitMs + kHeadWaitMs + kAfterEotWaitMs;
  return kAckWaitMs + kHeadWaitMs + kRestWaitMs;
}

}  // namespace kdx::test
