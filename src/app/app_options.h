#pragma once

#include <string>

namespace kdx::app {

// What the command line asks of kdx846. It is read before Qt starts, so that
// --help and --version work without a display.
struct AppArguments {
  enum class Request { Run, Help, Version, Bad };
  Request request = Request::Run;
  std::string error;  // why, for Bad
};

// Accepts --help, --version and the Qt options listed in the help text (left
// in argv for QApplication); anything else is Bad.
AppArguments ParseAppArguments(int argc, const char* const* argv);

}  // namespace kdx::app
