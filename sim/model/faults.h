#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kdx::sim {

// Ways the simulated device misbehaves on the line, for driving the host's
// failure paths. A fault stays on for every exchange until switched off.
enum class Fault {
  Off,        // behave
  Nak,        // NAK (15h) instead of ACK, nothing more; the command is not run
  NoAck,      // no ACK; the reply comes kNoAckReplyMs after the command
  Silent,     // nothing at all; the command is not run
  LateHead,   // ACK, then the reply kLateHeadReplyMs after the command
  Truncated,  // the reply frame stops kTruncatedShortBy bytes short of its length
  BadBcc,     // the reply's check byte is wrong
  Oversize,   // a reply whose text is kOversizeTextLength bytes long
  Garbage,    // ACK, then kGarbageLength random bytes instead of the reply
};

inline constexpr std::int64_t kNoAckReplyMs = 3500;
inline constexpr std::int64_t kLateHeadReplyMs = 7000;
inline constexpr std::size_t kTruncatedShortBy = 3;
inline constexpr std::size_t kOversizeTextLength = 1100;
inline constexpr std::size_t kGarbageLength = 24;

// "off", "nak", "no-ack", "silent", "late-head", "truncated", "bad-bcc",
// "oversize", "garbage".
std::optional<Fault> ParseFault(std::string_view name);
std::string_view FaultName(Fault fault);

}  // namespace kdx::sim
