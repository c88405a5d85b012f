#pragma once

#include <memory>
#include <string>

#include "link/serial_line.h"

namespace kdx::run {

// The port the runner talks through: "COMn" (as the tool resolves it) or a
// device path. Nothing, with the reason in `error`, when it cannot be opened
// at `baud`.
std::unique_ptr<SerialLine> OpenRunnerLine(const std::string& port, int baud, std::string& error);

}  // namespace kdx::run
