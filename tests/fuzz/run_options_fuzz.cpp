// kdx846-run's command line on arbitrary operator text: the arguments
// parsed as the runner parses them, and every duration on its own.
//
// Input: the arguments, a zero byte between two.
#include <set>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "run_options.h"

using namespace kdx;
using namespace kdx::run;
using namespace kdx::fuzz;

namespace {

constexpr std::int64_t kYearMs = 366LL * 24 * 3600 * 1000;

void CheckDuration(const std::string& text) {
  const auto ms = ParseDuration(text);
  if (!ms) return;
  KDX_FUZZ_CHECK(*ms > 0 && *ms <= kYearMs && *ms % 1000 == 0);
  // The same time in seconds alone reads the same.
  KDX_FUZZ_CHECK(ParseDuration(std::to_string(*ms / 1000) + "s") == ms);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  for (const std::string& arg : args) CheckDuration(arg);
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(args, options, error)) {
    KDX_FUZZ_CHECK(!error.empty());
    return 0;
  }
  KDX_FUZZ_CHECK(error.empty());
  if (options.help || options.version) return 0;
  KDX_FUZZ_CHECK(!options.script.empty());
  KDX_FUZZ_CHECK(!options.ports.empty() && options.ports.size() <= kMaxUnits);
  const std::set<std::string> distinct(options.ports.begin(), options.ports.end());
  KDX_FUZZ_CHECK(distinct.size() == options.ports.size());
  for (const std::string& port : options.ports) KDX_FUZZ_CHECK(!port.empty());
  if (options.durationMs) KDX_FUZZ_CHECK(*options.durationMs > 0 && *options.durationMs <= kYearMs);
  return 0;
}
