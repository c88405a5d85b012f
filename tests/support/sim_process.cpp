#include "sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace kdx::test {

namespace {

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string SimProcess::executable() {
  const char* path = std::getenv("KDX846_SIM");
  return path ? path : "";
}

SimProcess::~SimProcess() {
  if (pid_ > 0) stop(SIGTERM, 3000);
  for (int fd : {toChild_, fromChild_}) {
    if (fd >= 0) ::close(fd);
  }
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

bool SimProcess::start(const std::vector<std::string>& args, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const std::string program = executable();
  if (program.empty()) return fail("KDX846_SIM is not set");

  if (pid_ > 0) return fail("the simulator is running");
  for (int* fd : {&toChild_, &fromChild_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  pending_.clear();
  if (folder_.empty()) {
    char folder[] = "/tmp/kdx846-sim-XXXXXX";
    if (::mkdtemp(folder) == nullptr) return fail("mkdtemp failed");
    folder_ = folder;
    linkPath_ = folder_ + "/port";
  }
  const std::string logPath = folder_ + "/sim.log";

  std::vector<std::string> argv{program, "--link", linkPath_};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  int inputFd = -1;
  if (input_ == Input::File) {
    inputFd = ::open(inputFile_.c_str(), O_RDONLY | O_CLOEXEC);
    if (inputFd < 0) return fail("cannot open " + inputFile_);
  }
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return fail("pipe failed");
  if (::pipe2(out, O_CLOEXEC) != 0) return fail("pipe failed");
  const int logFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const pid_t parent = ::getpid();

  pid_ = ::fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls between fork and exec.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(126);
    switch (input_) {
      case Input::ControlPipe:
        ::dup2(in[0], STDIN_FILENO);
        break;
      case Input::Closed:
        ::close(STDIN_FILENO);
        break;
      case Input::File:
        ::dup2(inputFd, STDIN_FILENO);
        break;
    }
    ::dup2(out[1], STDOUT_FILENO);
    if (logFd >= 0) ::dup2(logFd, STDERR_FILENO);
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  if (logFd >= 0) ::close(logFd);
  if (inputFd >= 0) ::close(inputFd);
  if (input_ == Input::ControlPipe) {
    toChild_ = in[1];
  } else {
    ::close(in[1]);
  }
  fromChild_ = out[0];
  if (pid_ < 0) return fail("fork failed");

  std::string first;
  if (!readLine(first, 5000) || first != linkPath_) {
    stop(SIGKILL, 1000);
    return fail("the simulator did not start: " + log());
  }
  return true;
}

bool SimProcess::readLine(std::string& line, int timeoutMs) {
  const std::int64_t deadline = NowMs() + timeoutMs;
  for (;;) {
    if (const auto end = pending_.find('\n'); end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return true;
    }
    const std::int64_t remaining = deadline - NowMs();
    if (remaining <= 0 || fromChild_ < 0) return false;
    pollfd p{fromChild_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(remaining)) <= 0) continue;
    char buffer[512];
    const ssize_t n = ::read(fromChild_, buffer, sizeof buffer);
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string SimProcess::control(std::string_view line, int timeoutMs) {
  if (toChild_ < 0) return {};
  std::string text(line);
  text += '\n';
  if (::write(toChild_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
  std::string answer;
  return readLine(answer, timeoutMs) ? answer : std::string();
}

int SimProcess::stop(int signal, int timeoutMs) {
  if (pid_ <= 0) return -1;
  ::kill(pid_, signal);
  const std::int64_t deadline = NowMs() + timeoutMs;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (done < 0 || NowMs() >= deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::string SimProcess::log() const {
  std::ifstream file(folder_ + "/sim.log");
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace kdx::test
