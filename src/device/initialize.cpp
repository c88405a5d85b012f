#include "device/initialize.h"

#include <string>

namespace kdx {

bool IsInitializeCode(std::uint8_t code) {
  for (const auto& option : kInitializeOptions) {
    if (option.code == code) return true;
  }
  return false;
}

CommandOutcome RunInitialize(Session& session, InitializeView& view) {
  if (!CheckLink(session)) return CommandOutcome::NotSent;
  session.monitor.prologue();
  // Loading the dialog resets the choice, so a dialog that never reports one
  // sends nothing.
  session.state.initializeCode = 0;
  session.state.initializeCode = view.chooseInitializeOption();
  const std::uint8_t code = session.state.initializeCode;
  if (!IsInitializeCode(code)) return CommandOutcome::NotSent;

  Reply reply;
  const auto outcome = Transact(session, kInitializeCommand, code, {}, reply);
  if (outcome == CommandOutcome::Positive) {
    session.messages.show("Reset", std::string("Reset success") + kCrLf + Latin1ToUtf8(reply.dataText()),
                          Icon::Information);
  }
  session.monitor.epilogue();
  return outcome;
}

}  // namespace kdx
