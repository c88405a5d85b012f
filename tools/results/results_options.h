#pragma once

#include <optional>
#include <string>

namespace kdx::results {

// What kdx846-results's command line asks. It is read before Qt starts, so
// that --help, --version and --export work without a display.
struct ResultsArguments {
  enum class Request { Run, Help, Version, Bad };
  Request request = Request::Run;
  std::string file;                      // empty: none given
  std::optional<std::string> exportDir;  // --export DIR
  std::string error;                     // why, for Bad
};

// Accepts [FILE] [--export DIR], --help, --version and the Qt options the
// help text lists (left in argv for QApplication); --export needs FILE.
ResultsArguments ParseResultsArguments(int argc, const char* const* argv);

}  // namespace kdx::results
