#include "ui/adapters/qt_serial_line.h"

#include <QMetaObject>
#include <algorithm>

#include "link/port_names.h"
#include "link/terminal_output.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <cstring>
#endif

namespace kdx::ui {

namespace {

#ifdef Q_OS_UNIX
// Why `path` cannot be a serial port, when it exists and is no character
// device: a regular file, a directory, a FIFO... None otherwise (the open
// then tells). Looking first keeps such paths from being opened at all.
std::optional<std::string> NotASerialDevice(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISCHR(st.st_mode)) return std::nullopt;
  const char* kind = S_ISREG(st.st_mode)    ? "a regular file"
                     : S_ISDIR(st.st_mode)  ? "a directory"
                     : S_ISFIFO(st.st_mode) ? "a FIFO (named pipe)"
                     : S_ISSOCK(st.st_mode) ? "a socket"
                     : S_ISBLK(st.st_mode)  ? "a block device"
                                            : "not a device";
  return std::string("it is ") + kind + ", not a serial port";
}

// Whether the terminal behind `fd` has hung up for good: its device was
// removed, or the far end of a pseudo-terminal closed. `reason` gets the
// system's words.
bool DeviceGone(int fd, std::string& reason) {
  if (fd < 0) return false;
  termios t{};
  if (::tcgetattr(fd, &t) != 0 && (errno == EIO || errno == ENXIO || errno == ENODEV)) {
    reason = std::strerror(errno);
    return true;
  }
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLNVAL))) {
    reason = "the line hung up";
    return true;
  }
  return false;
}
#endif

bool RealError(QSerialPort::SerialPortError error) {
  return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

}  // namespace

OpenError MapOpenError(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::NoError:
      return OpenError::None;
    case QSerialPort::DeviceNotFoundError:
      return OpenError::NoSuchPort;
    case QSerialPort::PermissionError:  // busy, locked by another program, or no access
    case QSerialPort::OpenError:        // already open
      return OpenError::InUse;
    default:
      return OpenError::Other;
  }
}

QtSerialLine::QtSerialLine() {
  port_.setReadBufferSize(kReadBufferBytes);
  // The port reports errors from the event loop too (a hang-up while no
  // command runs); look at them once the current call stack has unwound.
  QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                   [this](QSerialPort::SerialPortError error) {
                     if (!RealError(error) || lossCheckQueued_) return;
                     lossCheckQueued_ = true;
                     QMetaObject::invokeMethod(
                         &port_, [this] { checkLoss(); }, Qt::QueuedConnection);
                   });
}

OpenResult QtSerialLine::open(int port, int baud) {
  close();
  portNumber_ = port;
  path_ = ResolvePortPath(port);
  OpenResult result{OpenError::None, path_, {}};
#ifdef Q_OS_UNIX
  if (auto why = NotASerialDevice(path_)) {
    result.error = OpenError::Other;
    result.reason = *why;
    return result;
  }
#endif
  port_.setPortName(QString::fromStdString(path_));
  port_.clearError();
  if (!port_.open(QIODevice::ReadWrite)) {
    const auto error = port_.error();
    result.error = MapOpenError(error);
    if (result.error == OpenError::None) result.error = OpenError::Other;
    result.reason = port_.errorString().toStdString();
    if (error == QSerialPort::UnsupportedOperationError)
      result.reason = "not a serial port (" + result.reason + ")";
    port_.clearError();
    return result;
  }
  const bool set = port_.setBaudRate(baud) && port_.setDataBits(QSerialPort::Data8) &&
                   port_.setParity(QSerialPort::NoParity) &&
                   port_.setStopBits(QSerialPort::OneStop) &&
                   port_.setFlowControl(QSerialPort::NoFlowControl);
  if (!set) {
    result.error = OpenError::Other;
    result.reason = "the port refused its settings (" + port_.errorString().toStdString() + ")";
    port_.close();
    port_.clearError();
  }
  return result;
}

void QtSerialLine::close() {
  if (port_.isOpen()) {
    // A pseudo-terminal has no modem lines: these fail there, and closing
    // ignores every error anyway.
    port_.setRequestToSend(false);
    port_.setDataTerminalReady(false);
    port_.close();
  }
  port_.clearError();
  fault_.reset();
}

void QtSerialLine::noteFault() {
  PortFault fault{false, portNumber_, path_, port_.errorString().toStdString()};
  if (port_.error() == QSerialPort::ResourceError) fault.gone = true;
#ifdef Q_OS_UNIX
  // A hang-up reads as end of file, which QSerialPort reports as a read
  // error with a stale reason; the terminal itself tells.
  std::string reason;
  if (port_.isOpen() && DeviceGone(static_cast<int>(port_.handle()), reason)) {
    fault.gone = true;
    fault.reason = reason;
  }
#endif
  fault_ = fault;
}

void QtSerialLine::checkLoss() {
  lossCheckQueued_ = false;
  if (!port_.isOpen() || fault_ || !RealError(port_.error())) return;
  noteFault();
  // A vanished device keeps the port readable (at end of file) for ever:
  // close it so that the event loop goes back to sleep. The fault stays.
  if (fault_->gone) port_.close();
}

bool QtSerialLine::healthy() {
  if (fault_ || !port_.isOpen()) return false;
  const auto error = port_.error();
  if (error == QSerialPort::TimeoutError) port_.clearError();
  if (!RealError(error)) return true;
  noteFault();
  return false;
}

void QtSerialLine::pull() {
  while (port_.isOpen() && port_.waitForReadyRead(0)) {
  }
  if (port_.error() == QSerialPort::TimeoutError) port_.clearError();
}

void QtSerialLine::discardInput() {
  if (!port_.isOpen()) return;
  port_.clear(QSerialPort::Input);
  port_.readAll();
}

void QtSerialLine::discardOutput() {
  if (!port_.isOpen()) return;
#ifdef Q_OS_UNIX
  // What the system still sends of the last exchange (its ACK or EOT) goes
  // out; only bytes left over from a write that failed are dropped.
  if (port_.bytesToWrite() == 0) {
    DiscardUnsentOutput(static_cast<int>(port_.handle()));
    return;
  }
#endif
  port_.clear(QSerialPort::Output);
}

std::size_t QtSerialLine::bytesWaiting() {
  if (!port_.isOpen()) return 0;
  pull();
  return static_cast<std::size_t>(port_.bytesAvailable());
}

WaitResult QtSerialLine::waitForBytes(std::size_t count, std::int64_t deadlineMs) {
  for (;;) {
    if (!healthy()) return WaitResult::Failed;
    if (static_cast<std::size_t>(port_.bytesAvailable()) >= count) return WaitResult::Ready;
    const std::int64_t remaining = deadlineMs - clock_.nowMs();
    if (remaining <= 0) {
      pull();
      if (!healthy()) return WaitResult::Failed;
      return static_cast<std::size_t>(port_.bytesAvailable()) >= count ? WaitResult::Ready
                                                                       : WaitResult::TimedOut;
    }
    port_.waitForReadyRead(static_cast<int>(std::min<std::int64_t>(remaining, 1 << 30)));
  }
}

bool QtSerialLine::read(std::size_t count, Bytes& out) {
  out.clear();
  if (!healthy()) return false;
  pull();
  const auto available = static_cast<std::size_t>(port_.bytesAvailable());
  const std::size_t n = count == 0 ? available : std::min(count, available);
  const QByteArray got = port_.read(static_cast<qint64>(n));
  out.assign(got.begin(), got.end());
  return healthy();
}

bool QtSerialLine::write(ByteView bytes) {
  if (!healthy()) return false;
  const auto size = static_cast<qint64>(bytes.size());
  if (port_.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
    healthy();  // keeps the port's error, if any, as the fault
    return false;
  }
  const std::int64_t deadline = clock_.nowMs() + kWriteLimitMs;
  while (port_.bytesToWrite() > 0) {
    const std::int64_t remaining = deadline - clock_.nowMs();
    if (remaining <= 0 || !healthy()) return false;
    port_.waitForBytesWritten(static_cast<int>(remaining));
  }
  return healthy();
}

}  // namespace kdx::ui
