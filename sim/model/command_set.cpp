#include "model/command_set.h"

namespace kdx::sim {

Response CommandSet::dispatch(DeviceState& state, const Command& command) const {
  const auto it = handlers_.find(command.code);
  if (it == handlers_.end()) return Response::Negative(kUnknownCommand);
  return it->second(state, command);
}

void AddStandardCommands(CommandSet& commands) {
  AddTransportCommands(commands);
  AddIdentityCommands(commands);
  AddContactMemoryCommands(commands);
  AddRfCommands(commands);
  AddCpuSamCommands(commands);
}

}  // namespace kdx::sim
