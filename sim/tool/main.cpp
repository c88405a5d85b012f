// kdx846-sim: a simulated KDX-846 on a pseudo-terminal, for tests, the demo
// and anyone without a unit on the desk.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "model/control.h"
#include "model/device_model.h"
#include "model/replay_unit.h"
#include "program_help.h"
#include "tool/options.h"
#include "tool/pty_server.h"

namespace {

// Opens /dev/null on each of descriptors 0, 1 and 2 that the simulator was
// started without. A new descriptor takes the lowest free number, so the
// pseudo-terminal would otherwise become standard input (read as control
// lines), output (the link path written into the line) or error (the log).
bool OpenMissingStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened < 0) return false;
    if (opened != fd) {  // not expected: every lower number is open by now
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kdx::sim;
  if (!OpenMissingStandardStreams()) return 1;
  std::string error;
  const auto options = ParseToolOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "kdx846-sim: %s\n%sTry 'kdx846-sim --help' for more information.\n",
                 error.c_str(), kdx::about::kUsage);
    return 2;
  }
  if (options->help) {
    std::fputs(kdx::about::kHelp, stdout);
    return 0;
  }
  if (options->version) {
    std::printf("%s %s\n", kdx::about::kProgram, kdx::about::kVersion);
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

  std::optional<ReplayUnit> replay;
  if (!options->replayPath.empty()) {
    kdx::SessionFileError why;
    auto session = kdx::ReadSessionFile(options->replayPath, why);
    if (!session) {
      std::fprintf(stderr, "kdx846-sim: --replay %s: %s\n", options->replayPath.c_str(),
                   why.text().c_str());
      return 2;
    }
    std::fprintf(stderr, "kdx846-sim: replaying %zu exchanges of %s (%s, started %s)\n",
                 session->exchanges.size(), options->replayPath.c_str(),
                 session->header.tool.c_str(), session->header.started.c_str());
    replay.emplace(std::move(session->exchanges), options->replayTiming,
                   options->replayFallback ? &model : nullptr);
  }

  PtyServer server(model, options->baud);
  if (replay) server.setReplay(&*replay);
  if (!server.start(options->linkPath, error)) {
    std::fprintf(stderr, "kdx846-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", options->linkPath.c_str());
  std::fflush(stdout);
  return server.run();
}
