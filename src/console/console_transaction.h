#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "console/console_state.h"
#include "console/console_view.h"
#include "console/local_time.h"
#include "link/exchange.h"
#include "link/port_setup.h"
#include "link/receive.h"
#include "link/session.h"

namespace kdx {

// The console's own time limits: 0.5 s for the ACK, which is required, 10 s
// for the reply head and 10 s for the rest; 3 s for an answer to EOT.
inline constexpr ReceiveLimits kConsoleLimits{500, 10000, 10000, true};
inline constexpr std::int64_t kConsoleAfterEotMs = 3000;

// Results of the console transaction.
inline constexpr int kConsoleDone = 0;      // a reply came (or the link was closed)
inline constexpr int kConsoleFailed = -1;   // the exchange failed
inline constexpr int kConsoleStopped = -2;  // stopped, cancelled or no reply head

// How one command line's exchange ended.
enum class ExchangeEnd {
  Positive,   // a reply starting with "P"
  Negative,   // a reply starting with "N"
  Other,      // a reply starting with anything else
  NoAck,      // nothing, or not ACK, within 0.5 s, or the command could not be written
  NoHead,     // ACK but no reply head: EOT sent
  Failed,     // the rest did not come, the reply was too long, or the port failed
  Stopped,    // "Stop" was seen before the command went out
  Cancelled,  // "Cancel" was seen: EOT went out instead of the command
  LinkClosed,
};

// One exchange as the headless runner reports it.
struct ExchangeRecord {
  LocalTime time;     // when the command line started
  std::string stamp;  // its time stamp
  Bytes sent;         // the frame, or EOT alone for a cancel
  ExchangeEnd end = ExchangeEnd::Failed;
  Bytes reply;  // "P" or "N" through the check byte, when one came
  // The exchange on the line: where it stopped, every byte that came and the
  // port's error. For a cancel, the EOT and what answered it; empty for a
  // stop.
  ExchangeOutcome outcome;
};

// What the console talks through. `session` gives the line, the clock, the
// message boxes and the link state; its monitor is not used.
struct ConsoleContext {
  Session& session;
  ConsoleState& state;
  ConsoleView& view;
  LocalTimeSource& time;
  // Lets the window system process pending events once: where the clicks on
  // "Stop" and "Cancel" are seen.
  std::function<void()> processEvents;
  // Hears each exchange after it ended.
  std::function<void(const ExchangeRecord&)> onExchange;
  // The second line of the box that names a lost port.
  std::string_view lostPortAdvice = kLostPortAdvice;
};

// Runs one command line: `frame` holds F2, address, length and the text, and
// `length` counts ETX and the check byte, which are put in here (the frame
// grows to `length` if shorter). Logs in both lists and shows every failure.
// On 0 with `replyLength` above 0, `reply` holds the reply.
int ConsoleTransaction(ConsoleContext& c, Bytes& frame, int length, Bytes& reply, int& replyLength);

}  // namespace kdx
