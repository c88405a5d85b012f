// kdx846-sim: a simulated KDX-846 on a pseudo-terminal, for tests, the demo
// and anyone without a unit on the desk.
#include <cstdio>
#include <string>
#include <vector>

#include "model/control.h"
#include "model/device_model.h"
#include "tool/options.h"
#include "tool/pty_server.h"

int main(int argc, char** argv) {
  using namespace kdx::sim;
  std::string error;
  const auto options = ParseToolOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "kdx846-sim: %s\n%s", error.c_str(), ToolUsage());
    return 2;
  }
  if (options->help) {
    std::fputs(ToolUsage(), stdout);
    return 0;
  }

  DeviceModel model;
  model.setAddress(static_cast<std::uint8_t>(options->address));
  for (const auto& control : options->controls) {
    const ControlResult result = ApplyControl(model, control);
    if (!result.ok) {
      std::fprintf(stderr, "kdx846-sim: --%s\n", result.output.c_str());
      return 2;
    }
  }

  PtyServer server(model, options->baud);
  if (!server.start(options->linkPath, error)) {
    std::fprintf(stderr, "kdx846-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", options->linkPath.c_str());
  std::fflush(stdout);
  return server.run();
}
