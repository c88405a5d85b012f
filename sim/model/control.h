#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "model/device_model.h"

namespace kdx::sim {

// The simulator's control lines, read by kdx846-sim on standard input and
// usable from tests:
//   fault MODE            switch a fault mode (off, nak, no-ack, ...)
//   stacker N             cards in the stacker
//   bin N | bin N/CAP     cards in the error bin (and its capacity)
//   card CONTACT/CONTACTLESS
//                         the kind of card in the stacker; a card in the
//                         channel is swapped for one of this kind
//   insert                push a card in at the front (when entry is allowed)
//   take                  take away the card at the front gate
//   place WHERE           put a fresh card of the stacker's kind in the
//                         channel at front, ic or rf (not taken from the
//                         stacker), as if an operator had laid it there; none
//                         empties the channel
//   latency MS            the device's answer delay
//   sams N                SAM sockets the configuration reports
//   serial TEXT           the serial number A2h answers (1 to 64 characters)
//   sam N in | sam N out  put a fresh SAM into socket N (1 to 5) or take it out
//   state                 the whole state in one line
//   flood BYTES_PER_SECOND SECONDS | flood off
//                         line noise out of turn, at that rate for that long
//                         (kdx846-sim only: the model itself is not involved)

// Noise the simulator is to send on the line; a rate or a time of 0 stops it.
struct FloodRequest {
  int bytesPerSecond = 0;
  int seconds = 0;
};

struct ControlResult {
  bool ok = true;
  std::string output;                 // a line to print (state, or what went wrong)
  std::optional<FloodRequest> flood;  // for the line server to act on
};

inline constexpr std::size_t kMaxSerialLength = 64;

ControlResult ApplyControl(DeviceModel& model, std::string_view line);

// The state in one line of key=value words.
std::string StateLine(const DeviceModel& model);

// "N" or "N/CAP", non-negative numbers.
std::optional<std::pair<int, std::optional<int>>> ParseBinFill(std::string_view text);
// "none", "front", "ic" or "rf".
std::optional<CardPosition> ParsePosition(std::string_view text);
// A non-negative decimal number that fits an int.
std::optional<int> ParseCount(std::string_view text);

}  // namespace kdx::sim
