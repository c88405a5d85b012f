#pragma once

#include <memory>
#include <string>

#include "link/serial_line.h"

namespace kdx::run {

// The port the runner talks through: "COMn" (as the tool resolves it) or a
// device path. Nothing, with the reason in `error`, when it cannot be opened
// at `baud`.
// The device path `port` opens: COMn resolved as the tool resolves it, or
// the path as given.
std::string RunnerPortPath(const std::string& port);

std::unique_ptr<SerialLine> OpenRunnerLine(const std::string& port, int baud, std::string& error);

}  // namespace kdx::run
