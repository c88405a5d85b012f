#include "device/counter.h"

#include <algorithm>

namespace kdx {

std::optional<std::string> PadCounter(std::string_view text) {
  if (text.size() > 3) return std::nullopt;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return std::string(3 - text.size(), '0') + std::string(text);
}

CommandOutcome RunReadCounter(Session& session, CounterField& field) {
  if (!CheckLink(session)) return CommandOutcome::NotSent;
  session.monitor.prologue();
  field.setText("");
  Reply reply;
  const auto outcome = Transact(session, kCounterCommand, kReadCounterParameter, {}, reply);
  if (outcome == CommandOutcome::Positive) {
    // The field holds at most three digits; a reply that does not fit is
    // refused rather than shown cut short.
    const std::string counter = reply.dataText();
    if (PadCounter(counter)) {
      field.setText(counter);
      session.messages.show("Read Counter", "Read Counter Success", Icon::Information);
    } else {
      ShowCaution(session.messages, kCheckData);
    }
  }
  session.monitor.epilogue();
  return outcome;
}

CommandOutcome RunInitializeCounter(Session& session, CounterField& field) {
  if (!CheckLink(session)) return CommandOutcome::NotSent;
  session.monitor.prologue();
  const auto digits = PadCounter(field.text());
  if (!digits) {
    ShowCaution(session.messages, kCheckData);
    session.monitor.epilogue();
    return CommandOutcome::NotSent;
  }
  field.setText(*digits);
  Reply reply;
  const auto outcome =
      Transact(session, kCounterCommand, kSetCounterParameter, TextToBytes(*digits), reply);
  if (outcome == CommandOutcome::Positive) {
    session.messages.show("InitializeI Counter", "InitializeI Counter Success", Icon::Information);
  }
  session.monitor.epilogue();
  return outcome;
}

}  // namespace kdx
