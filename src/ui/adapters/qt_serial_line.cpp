#include "ui/adapters/qt_serial_line.h"

#include <algorithm>

#include "link/port_names.h"

namespace kdx::ui {

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

OpenError QtSerialLine::open(int port, int baud) {
  close();
  port_.setPortName(QString::fromStdString(ResolvePortPath(port)));
  port_.clearError();
  if (!port_.open(QIODevice::ReadWrite)) {
    const OpenError result = MapOpenError(port_.error());
    port_.clearError();
    return result == OpenError::None ? OpenError::Other : result;
  }
  const bool set = port_.setBaudRate(baud) && port_.setDataBits(QSerialPort::Data8) &&
                   port_.setParity(QSerialPort::NoParity) &&
                   port_.setStopBits(QSerialPort::OneStop) &&
                   port_.setFlowControl(QSerialPort::NoFlowControl);
  if (!set) {
    port_.close();
    port_.clearError();
    return OpenError::Other;
  }
  return OpenError::None;
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
}

bool QtSerialLine::healthy() {
  if (!port_.isOpen()) return false;
  const auto error = port_.error();
  if (error == QSerialPort::TimeoutError) port_.clearError();
  return error == QSerialPort::NoError || error == QSerialPort::TimeoutError;
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
  if (port_.isOpen()) port_.clear(QSerialPort::Output);
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
  if (port_.write(reinterpret_cast<const char*>(bytes.data()), size) != size) return false;
  const std::int64_t deadline = clock_.nowMs() + kWriteLimitMs;
  while (port_.bytesToWrite() > 0) {
    const std::int64_t remaining = deadline - clock_.nowMs();
    if (remaining <= 0 || !healthy()) return false;
    port_.waitForBytesWritten(static_cast<int>(remaining));
  }
  return healthy();
}

}  // namespace kdx::ui
