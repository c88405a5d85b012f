#include "tool/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/bytes.h"
#include "link/termios_speed.h"
#include "model/control.h"

namespace kdx::sim {

namespace {

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace

PtyServer::~PtyServer() {
  if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
  for (int fd : {master_, slave_, signals_}) {
    if (fd >= 0) ::close(fd);
  }
}

bool PtyServer::start(const std::string& linkPath, std::string& error) {
  if (baud_ && !TermiosSpeed(*baud_)) {
    error = "unsupported rate " + std::to_string(*baud_);
    return false;
  }
  char name[256] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    error = std::string("openpty: ") + std::strerror(errno);
    return false;
  }
  termios raw{};
  ::tcgetattr(slave_, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave_, TCSANOW, &raw);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  // Control lines never come from the terminal itself, even when it got the
  // number of a standard input that was closed.
  stdinOpen_ = master_ != STDIN_FILENO && slave_ != STDIN_FILENO;

  struct stat st {};
  if (::lstat(linkPath.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      error = linkPath + " exists and is not a symbolic link";
      return false;
    }
    ::unlink(linkPath.c_str());
  }
  if (::symlink(name, linkPath.c_str()) != 0) {
    error = "symlink " + linkPath + ": " + std::strerror(errno);
    return false;
  }
  linkPath_ = linkPath;

  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  ::sigprocmask(SIG_BLOCK, &set, nullptr);
  signals_ = ::signalfd(-1, &set, SFD_CLOEXEC);
  ::signal(SIGPIPE, SIG_IGN);

  startMs_ = clock_.nowMs();
  model_.onTrace = [this](std::string_view line) { log("recv " + std::string(line)); };
  if (replay_)
    replay_->onTrace = [this](std::string_view line) { log("replay " + std::string(line)); };
  log(std::string("serving on ") + name + " as " + linkPath);
  return true;
}

void PtyServer::log(const std::string& what) {
  const std::int64_t t = clock_.nowMs() - startMs_;
  std::fprintf(stderr, "%6lld.%03lld %s\n", static_cast<long long>(t / 1000),
               static_cast<long long>(t % 1000), what.c_str());
  std::fflush(stderr);
}

bool PtyServer::rateMatches() {
  if (!baud_) return true;
  termios t{};
  if (::tcgetattr(slave_, &t) != 0) return false;
  return ::cfgetospeed(&t) == *TermiosSpeed(*baud_);
}

void PtyServer::readHost() {
  std::uint8_t buffer[4096];
  const ssize_t n = ::read(master_, buffer, sizeof buffer);
  if (n <= 0) return;
  const ByteView bytes(buffer, static_cast<std::size_t>(n));
  if (!rateMatches()) {
    log("ignored at a rate other than " + std::to_string(*baud_) + ": " + HexBytes(bytes));
    return;
  }
  if (replay_) {
    replay_->receive(bytes, clock_.nowMs());
  } else {
    model_.receive(bytes, clock_.nowMs());
  }
}

void PtyServer::readControls() {
  char buffer[1024];
  const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (n <= 0) {
    stdinOpen_ = false;  // keep serving without controls
    return;
  }
  controlBuffer_.append(buffer, static_cast<std::size_t>(n));
  std::size_t end;
  while ((end = controlBuffer_.find('\n')) != std::string::npos) {
    const std::string line = controlBuffer_.substr(0, end);
    controlBuffer_.erase(0, end + 1);
    const ControlResult result = ApplyControl(model_, line);
    if (result.flood) flood_.start(*result.flood, clock_.nowMs());
    std::string reply =
        result.ok ? (result.output.empty() ? "ok" : result.output) : "error: " + result.output;
    log("control " + line + " -> " + reply);
    reply += '\n';
    WriteAll(STDOUT_FILENO, reply.data(), reply.size());
  }
}

void PtyServer::writeDue() {
  const Bytes out =
      replay_ ? replay_->takeOutput(clock_.nowMs()) : model_.takeOutput(clock_.nowMs());
  if (out.empty()) return;
  log("send " + HexBytes(out));
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::write(master_, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      log("host is not reading; dropped " + std::to_string(out.size() - done) + " bytes");
      return;
    }
    done += static_cast<std::size_t>(n);
  }
}

int PtyServer::run() {
  for (;;) {
    int timeout = -1;
    if (const auto next = replay_ ? replay_->nextOutputAt() : model_.nextOutputAt()) {
      timeout = static_cast<int>(std::max<std::int64_t>(0, *next - clock_.nowMs()));
    }
    if (flood_.active() && (timeout < 0 || timeout > LineFlood::kStepMs))
      timeout = LineFlood::kStepMs;
    pollfd fds[3] = {{signals_, POLLIN, 0}, {master_, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    const nfds_t count = stdinOpen_ ? 3 : 2;
    if (::poll(fds, count, timeout) < 0 && errno != EINTR) {
      log(std::string("poll: ") + std::strerror(errno));
      return 1;
    }
    if (fds[0].revents & POLLIN) {
      signalfd_siginfo info{};
      if (::read(signals_, &info, sizeof info) > 0) log("signal " + std::to_string(info.ssi_signo));
      return 0;
    }
    if (stdinOpen_ && (fds[2].revents & (POLLIN | POLLHUP))) readControls();
    if (fds[1].revents & POLLIN) readHost();
    writeDue();
    if (const std::string ended = flood_.pump(master_, clock_.nowMs()); !ended.empty()) log(ended);
  }
}

}  // namespace kdx::sim
