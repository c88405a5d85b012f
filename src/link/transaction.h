#pragma once

#include <cstdint>

#include "link/exchange.h"
#include "link/session.h"

namespace kdx {

// Time limits of one exchange, in milliseconds.
inline constexpr std::int64_t kAckWaitMs = 3000;
inline constexpr std::int64_t kHeadWaitMs = 6000;
inline constexpr std::int64_t kRestWaitMs = 6000;
inline constexpr std::int64_t kAfterEotWaitMs = 3000;

// Results of ExecuteCommand.
inline constexpr int kExchangeDone = 0;      // reply received, or link closed
inline constexpr int kExchangeFailed = -1;   // failure already reported
inline constexpr int kExchangeNoReply = -2;  // no reply frame, EOT sent

// The command transaction: writes `command`, waits for the ACK and the reply
// frame, acknowledges it and logs every byte in the monitor ("SD: " lines for
// the first `commandLength` bytes of the command, "RD: " lines for the device).
// On result 0 with `replyCount` > 0, `reply` holds the reply from its "P" or
// "N" through ETX and the check byte. Failures are shown to the operator here.
// `reply` is grown to the 1025-byte buffer if the caller passed less.
int ExecuteCommand(Session& session, const Bytes& command, int commandLength, Bytes& reply,
                   std::int16_t& replyCount);

// One monitor line for bytes sent: "SD: " and each byte with a blank, broken
// after the 24th byte and every 25 after it, ended by CR LF.
std::string CommandMonitorLine(ByteView command);

}  // namespace kdx
