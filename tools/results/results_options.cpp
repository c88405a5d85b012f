#include "results_options.h"

#include <string_view>

namespace kdx::results {

namespace {

// Qt's own options that the help text lists; Qt reads them from argv.
constexpr std::string_view kQtOptionsWithValue[] = {"platform", "style",           "stylesheet",
                                                    "display",  "qwindowgeometry", "qwindowtitle"};

ResultsArguments Bad(std::string error) {
  ResultsArguments args;
  args.request = ResultsArguments::Request::Bad;
  args.error = std::move(error);
  return args;
}

}  // namespace

ResultsArguments ParseResultsArguments(int argc, const char* const* argv) {
  ResultsArguments args;
  bool files = false;  // after "--", every word is a file
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (!files && arg.starts_with("-") && arg.size() > 1) {
      if (arg == "--") {
        files = true;
        continue;
      }
      if (arg == "-h" || arg == "--help") return {ResultsArguments::Request::Help, {}, {}, {}};
      if (arg == "-V" || arg == "--version")
        return {ResultsArguments::Request::Version, {}, {}, {}};
      if (arg == "--export" || arg.starts_with("--export=")) {
        std::string dir;
        if (arg == "--export") {
          if (i + 1 >= argc || !argv[i + 1]) return Bad("--export needs a folder");
          dir = argv[++i];
        } else {
          dir = std::string(arg.substr(9));
        }
        if (dir.empty()) return Bad("--export needs a folder");
        if (args.exportDir) return Bad("--export is given twice");
        args.exportDir = dir;
        continue;
      }
      const std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
      if (name == "reverse") continue;
      bool qt = false;
      for (std::string_view option : kQtOptionsWithValue) qt = qt || option == name;
      if (qt) {
        if (i + 1 >= argc) return Bad(std::string(arg) + " needs a value");
        ++i;
        continue;
      }
      return Bad("unknown option '" + std::string(arg) + "'");
    }
    if (arg.empty()) return Bad("an empty file name");
    if (!args.file.empty()) return Bad("unexpected argument '" + std::string(arg) + "'");
    args.file = std::string(arg);
  }
  if (args.exportDir && args.file.empty()) return Bad("--export needs a results FILE");
  return args;
}

}  // namespace kdx::results
