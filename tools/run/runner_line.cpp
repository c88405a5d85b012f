#include "runner_line.h"

#include "link/clock.h"
#include "link/port_names.h"
#include "link/port_setup.h"
#include "link/terminal_output.h"
#include "link/termios_speed.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#else
#include "ui/adapters/qt_serial_line.h"
#endif

namespace kdx::run {

std::string RunnerPortPath(const std::string& port) {
  const auto number = ParsePortText(port);
  return number ? ResolvePortPath(*number) : port;
}

#ifndef _WIN32

namespace {

speed_t Speed(int baud) {
  return TermiosSpeed(baud).value_or(B0);
}

// The serial line over a POSIX terminal: raw 8N1, no flow control. Waits
// sleep in poll() until the deadline; nothing spins.
class PosixSerialLine final : public SerialLine {
 public:
  ~PosixSerialLine() override { close(); }

  // `port` names the port in faults: its COM number, or 0 for a port
  // given by its path.
  bool openPath(const std::string& path, int baud, std::string& error, int port = 0) {
    close();
    port_ = port;
    path_ = path;
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return fail(error, path);
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return fail(error, path);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    if (::cfsetispeed(&t, Speed(baud)) != 0 || ::cfsetospeed(&t, Speed(baud)) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &t) != 0)
      return fail(error, path);
    return true;
  }

  OpenResult open(int port, int baud) override {
    OpenResult result;
    result.path = ResolvePortPath(port);
    std::string error;
    if (!openPath(result.path, baud, error, port)) {
      result.error = OpenError::Other;
      result.reason = error;
    }
    return result;
  }
  void close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    input_.clear();
    fault_.reset();
  }
  std::optional<PortFault> fault() const override { return fault_; }
  bool isOpen() const override { return fd_ >= 0; }
  void discardInput() override {
    if (fd_ < 0) return;
    ::tcflush(fd_, TCIFLUSH);
    input_.clear();
  }
  void discardOutput() override {
    if (fd_ >= 0) DiscardUnsentOutput(fd_);
  }
  std::size_t bytesWaiting() override {
    pull();
    return input_.size();
  }
  // Sleeps in poll() until bytes come, then takes them in; as few system
  // calls as a plain poll-and-read loop.
  WaitResult waitForBytes(std::size_t count, std::int64_t deadlineMs) override {
    for (;;) {
      if (fd_ < 0) return WaitResult::Failed;
      if (input_.size() >= count) return WaitResult::Ready;
      const std::int64_t remaining = std::max<std::int64_t>(deadlineMs - clock_.nowMs(), 0);
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(remaining, 1 << 30)));
      if (ready < 0 && errno != EINTR) return failWait(false);
      if (ready == 0 && remaining == 0) return WaitResult::TimedOut;
      if (ready <= 0) continue;
      if (p.revents & POLLNVAL) {
        errno = EBADF;
        return failWait(false);
      }
      const std::size_t before = input_.size();
      if (!pull()) return failWait(errno == EIO);
      // The far end hung up (a pseudo-terminal's owner is gone, an adapter
      // pulled), or the port reports an error, and nothing more came: no
      // answer can come any more. A hang-up means the device is gone.
      if ((p.revents & (POLLHUP | POLLERR)) && input_.size() == before && input_.size() < count) {
        errno = EIO;
        return failWait((p.revents & POLLHUP) != 0);
      }
    }
  }
  // Reads from what the waits took in.
  bool read(std::size_t count, Bytes& out) override {
    if (fd_ < 0) return false;
    const std::size_t n = count == 0 ? input_.size() : std::min(count, input_.size());
    out.assign(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
  }
  bool write(ByteView bytes) override {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    const std::int64_t deadline = clock_.nowMs() + kWriteLimitMs;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        // EIO: a pseudo-terminal whose other end is gone.
        fault_ = PortFault{errno == EIO, port_, path_, std::strerror(errno)};
        return false;
      }
      const std::int64_t remaining = deadline - clock_.nowMs();
      if (remaining <= 0) return false;
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, static_cast<int>(remaining));
    }
    return true;
  }

 private:
  static constexpr std::int64_t kWriteLimitMs = 5000;

  // Keeps the system's reason for the failure the caller reports.
  WaitResult failWait(bool gone) {
    fault_ = PortFault{gone, port_, path_, std::strerror(errno)};
    return WaitResult::Failed;
  }

  bool fail(std::string& error, const std::string& path) {
    error = path + ": " + std::strerror(errno);
    close();
    return false;
  }
  // Takes in the bytes the terminal holds, without waiting; a short read
  // means it held no more. False when the port reported an error.
  bool pull() {
    if (fd_ < 0) return false;
    std::uint8_t buffer[4096];
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n > 0) {
        input_.insert(input_.end(), buffer, buffer + n);
        if (static_cast<std::size_t>(n) < sizeof buffer) return true;
        continue;
      }
      if (n == 0) return true;
      // EIO: a pseudo-terminal whose other end is gone; a port error.
      return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
  }

  int fd_ = -1;
  int port_ = 0;
  std::string path_;
  Bytes input_;
  SteadyClock clock_;
  std::optional<PortFault> fault_;
};

}  // namespace

std::unique_ptr<SerialLine> OpenRunnerLine(const std::string& port, int baud, std::string& error) {
  auto line = std::make_unique<PosixSerialLine>();
  const auto number = ParsePortText(port);
  const std::string path = number ? ResolvePortPath(*number) : port;
  if (!line->openPath(path, baud, error, number.value_or(0))) return nullptr;
  return line;
}

#else

std::unique_ptr<SerialLine> OpenRunnerLine(const std::string& port, int baud, std::string& error) {
  const auto number = ParsePortText(port);
  if (!number) {
    error = port + ": not a port name (COM1 to COM16)";
    return nullptr;
  }
  auto line = std::make_unique<ui::QtSerialLine>();
  if (line->open(*number, baud) != OpenError::None) {
    error = port + ": cannot open the port";
    return nullptr;
  }
  return line;
}

#endif

}  // namespace kdx::run
