#include "link/receive.h"

#include <algorithm>

#include "link/frame.h"

namespace kdx {

namespace {

// Waits up to `limitMs` for `count` bytes and reads `take` of them (0: every
// waiting byte). Nothing when they do not come; `portError` tells why.
std::optional<Bytes> Take(SerialLine& line, Clock& clock, std::size_t count, std::size_t take,
                          std::int64_t limitMs, bool& portError) {
  switch (line.waitForBytes(count, clock.nowMs() + limitMs)) {
    case WaitResult::Failed:
      portError = true;
      return std::nullopt;
    case WaitResult::TimedOut:
      return std::nullopt;
    case WaitResult::Ready:
      break;
  }
  Bytes got;
  if (!line.read(take, got) || got.size() < std::max<std::size_t>(take, 1)) {
    portError = true;
    return std::nullopt;
  }
  return got;
}

}  // namespace

Received ReceiveReply(SerialLine& line, Clock& clock, const ReceiveLimits& limits,
                      ReceiveLog* log) {
  Received r;
  r.stoppedAt = ReceiveStage::Ack;
  if (auto ack = Take(line, clock, 1, 1, limits.ackMs, r.portError)) {
    r.ack = (*ack)[0];
    if (log) log->ack(*r.ack);
    if (*r.ack != kAck) return r;
  } else if (r.portError || limits.ackRequired) {
    return r;
  }

  r.stoppedAt = ReceiveStage::Head;
  auto head = Take(line, clock, 4, 4, limits.headMs, r.portError);
  if (!head) return r;
  r.head = std::move(*head);
  if (log) log->head(r.head);

  r.stoppedAt = ReceiveStage::Rest;
  const std::size_t expected = static_cast<std::size_t>(ReplyTextLength(r.head)) + 2;
  auto arrived = Take(line, clock, expected, 0, limits.restMs, r.portError);
  if (!arrived) return r;
  if (log) log->rest(*arrived);
  const auto cut =
      arrived->begin() + static_cast<std::ptrdiff_t>(std::min(expected, arrived->size()));
  r.rest.assign(arrived->begin(), cut);
  r.trailing.assign(cut, arrived->end());
  r.stoppedAt = ReceiveStage::Done;
  return r;
}

bool CheckByteMatches(ByteView head, ByteView rest) {
  if (rest.empty()) return false;
  std::uint8_t bcc = 0;
  for (auto b : head) bcc ^= b;
  for (std::size_t i = 0; i + 1 < rest.size(); ++i) bcc ^= rest[i];
  return bcc == rest.back();
}

}  // namespace kdx
