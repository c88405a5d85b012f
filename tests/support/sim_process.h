#pragma once

#include <sys/types.h>

#include <csignal>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kdx::test {

// Runs kdx846-sim as a child process for end-to-end tests: the simulator
// serves on a pseudo-terminal linked from a fresh temporary folder, takes
// control lines on its standard input and logs its traffic into a file.
// The child dies with the test process, and the destructor stops it and
// removes the folder.
class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The simulator executable: the environment variable KDX846_SIM.
  static std::string executable();

  // What the simulator's standard input is: the control pipe that control()
  // writes to, nothing (closed), or the content of a file.
  enum class Input { ControlPipe, Closed, File };
  // Chooses the standard input of the next start(); `file` is the path read
  // for Input::File.
  void setInput(Input input, std::string file = {}) {
    input_ = input;
    inputFile_ = std::move(file);
  }

  // Starts the simulator with `args` and "--link <folder>/port"; waits up to
  // five seconds for it to print the link path. On failure says why. Once
  // the simulator has stopped (or was killed), starting again serves on the
  // same link path, as a unit plugged back in on the same port.
  bool start(const std::vector<std::string>& args = {}, std::string* error = nullptr);

  // The path of the pseudo-terminal link (set KDX846_COMn to it).
  const std::string& linkPath() const { return linkPath_; }
  pid_t pid() const { return pid_; }

  // Sends one control line ("fault silent", "stacker 3", "state") and returns
  // the simulator's answer line: "ok", "error: ..." or the state. Empty when
  // no answer came within `timeoutMs` or the input is not the control pipe.
  std::string control(std::string_view line, int timeoutMs = 3000);

  // Sends `signal` and waits up to `timeoutMs` for the exit. Returns the exit
  // status, 128 + the signal number when a signal ended it, or -1 when it
  // did not end in time (it is then killed).
  int stop(int signal = SIGTERM, int timeoutMs = 3000);

  // Everything the simulator logged on standard error so far.
  std::string log() const;

 private:
  bool readLine(std::string& line, int timeoutMs);

  Input input_ = Input::ControlPipe;
  std::string inputFile_;
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string folder_;
  std::string linkPath_;
  std::string pending_;  // stdout bytes after the last full line
};

}  // namespace kdx::test
