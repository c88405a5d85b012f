#pragma once

#include <QSerialPort>
#include <QString>

#include "link/clock.h"
#include "link/serial_line.h"

namespace kdx::ui {

// The SerialLine over a real serial port (or a pseudo-terminal standing in
// for one): 8 data bits, no parity, 1 stop bit, no flow control, raw bytes.
// Port n is the device ResolvePortPath(n) names. Waiting is done by the
// operating system through QSerialPort's waits; deadlines are SteadyClock
// milliseconds. A peer that vanishes mid-exchange makes the waits report
// Failed (or run into their deadline), never hang.
class QtSerialLine final : public SerialLine {
 public:
  QtSerialLine() = default;
  ~QtSerialLine() override { close(); }
  QtSerialLine(const QtSerialLine&) = delete;
  QtSerialLine& operator=(const QtSerialLine&) = delete;

  OpenError open(int port, int baud) override;
  void close() override;
  bool isOpen() const override { return port_.isOpen(); }
  void discardInput() override;
  void discardOutput() override;
  std::size_t bytesWaiting() override;
  WaitResult waitForBytes(std::size_t count, std::int64_t deadlineMs) override;
  bool read(std::size_t count, Bytes& out) override;
  bool write(ByteView bytes) override;

  // The device path the last open used.
  QString portPath() const { return port_.portName(); }

  // Longest a write may take to leave the port (1 KB at 9600 bits/s is 1 s).
  static constexpr int kWriteLimitMs = 5000;

 private:
  // False once the port reported a real error (a time-out is not one).
  bool healthy();
  // Takes in what the operating system already holds, without waiting.
  void pull();

  QSerialPort port_;
  SteadyClock clock_;
};

// How a failed open of `port` maps onto the link's open errors.
OpenError MapOpenError(QSerialPort::SerialPortError error);

}  // namespace kdx::ui
