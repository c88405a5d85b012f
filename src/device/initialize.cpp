#include "device/initialize.h"

#include <string>

namespace kdx {

bool IsInitializeCode(std::uint8_t code) {
  for (const auto& option : kInitializeOptions) {
    if (option.code == code) return true;
  }
  return false;
}

Outgoing ChooseInitializeOption(DeviceContext& context) {
  // Loading the dialog resets the choice, so a dialog that never reports one
  // sends nothing.
  context.records.initializeCode = 0;
  context.records.initializeCode = context.view.chooseInitializeOption();
  const std::uint8_t code = context.records.initializeCode;
  if (!IsInitializeCode(code)) return Outgoing::Withdraw();
  return Outgoing::SendParameter(code);
}

void ShowInitialized(DeviceContext& context, const DeviceOperation& row, const Reply& reply) {
  context.session.messages.show(row.boxTitle,
                                std::string(row.boxText) + kCrLf + Latin1ToUtf8(reply.dataText()),
                                Icon::Information);
}

}  // namespace kdx
