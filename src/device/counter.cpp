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

Outgoing EmptyCounterField(DeviceContext& context) {
  context.view.setCounterText("");
  return Outgoing::Send();
}

void ShowCounter(DeviceContext& context, const DeviceOperation& row, const Reply& reply) {
  // The field holds at most three digits; a reply that does not fit is
  // refused rather than shown cut short.
  const std::string counter = reply.dataText();
  if (!PadCounter(counter)) {
    ShowCaution(context.session.messages, kCheckData);
    return;
  }
  context.view.setCounterText(counter);
  context.session.messages.show(row.boxTitle, row.boxText, Icon::Information);
}

Outgoing PaddedCounter(DeviceContext& context) {
  const auto digits = PadCounter(context.view.counterText());
  if (!digits) return Outgoing::Refuse(kCheckData);
  context.view.setCounterText(*digits);
  return Outgoing::Send(TextToBytes(*digits));
}

}  // namespace kdx
