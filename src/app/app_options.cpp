#include "app/app_options.h"

#include <string_view>

namespace kdx::app {

namespace {

// Qt's own options that the help text lists; Qt reads them from argv.
constexpr std::string_view kQtOptionsWithValue[] = {"platform", "style",           "stylesheet",
                                                    "display",  "qwindowgeometry", "qwindowtitle"};
constexpr std::string_view kQtFlags[] = {"reverse"};

// Qt takes its options with one dash or two.
std::string_view OptionName(std::string_view arg) {
  if (arg.starts_with("--")) return arg.substr(2);
  if (arg.starts_with("-")) return arg.substr(1);
  return {};
}

template <std::size_t N>
bool Listed(const std::string_view (&names)[N], std::string_view name) {
  for (std::string_view n : names) {
    if (n == name) return true;
  }
  return false;
}

AppArguments Bad(std::string error) {
  return {AppArguments::Request::Bad, std::move(error)};
}

}  // namespace

AppArguments ParseAppArguments(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") return {AppArguments::Request::Help, {}};
    if (arg == "-V" || arg == "--version") return {AppArguments::Request::Version, {}};
    const std::string_view name = OptionName(arg);
    if (Listed(kQtFlags, name)) continue;
    if (Listed(kQtOptionsWithValue, name)) {
      if (i + 1 >= argc) return Bad(std::string(arg) + " needs a value");
      ++i;
      continue;
    }
    if (name.empty()) return Bad("unexpected argument '" + std::string(arg) + "'");
    return Bad("unknown option '" + std::string(arg) + "'");
  }
  return {};
}

}  // namespace kdx::app
