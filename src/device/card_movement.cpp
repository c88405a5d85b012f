#include "device/card_movement.h"

namespace kdx {

const MoveCommand* FindMoveCommand(std::string_view button) {
  for (const auto& row : kMoveCommands) {
    if (row.button == button) return &row;
  }
  return nullptr;
}

CommandOutcome RunMoveCommand(Session& session, const MoveCommand& row) {
  return RunCommand(session, row.command, row.parameter, {}, [&session, &row](const Reply&) {
    session.messages.show(row.successTitle, row.successText, Icon::Information);
  });
}

}  // namespace kdx
