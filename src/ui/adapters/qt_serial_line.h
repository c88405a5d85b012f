#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>
#include <string>

#include "link/clock.h"
#include "link/serial_line.h"

namespace kdx::ui {

// The SerialLine over a real serial port (or a pseudo-terminal standing in
// for one): 8 data bits, no parity, 1 stop bit, no flow control, raw bytes.
// Port n is the device ResolvePortPath(n) names. Waiting is done by the
// operating system through QSerialPort's waits; deadlines are SteadyClock
// milliseconds. A peer that vanishes mid-exchange makes the waits report
// Failed (or run into their deadline), never hang; the fault then says the
// device is gone.
//
// Between commands QSerialPort reads whatever arrives while the event loop
// runs. Every exchange discards that input first, so only a bounded amount
// is kept: a device that keeps talking out of turn fills the bound and the
// rest waits in (and overflows) the operating system's buffer. A port whose
// device vanishes while idle is closed at once, so that its hang-up does not
// keep waking the event loop; the fault stays for the next command to find.
class QtSerialLine final : public SerialLine {
 public:
  QtSerialLine();
  ~QtSerialLine() override { close(); }
  QtSerialLine(const QtSerialLine&) = delete;
  QtSerialLine& operator=(const QtSerialLine&) = delete;

  OpenResult open(int port, int baud) override;
  void close() override;
  bool isOpen() const override { return port_.isOpen(); }
  void discardInput() override;
  void discardOutput() override;
  std::size_t bytesWaiting() override;
  WaitResult waitForBytes(std::size_t count, std::int64_t deadlineMs) override;
  bool read(std::size_t count, Bytes& out) override;
  bool write(ByteView bytes) override;
  std::optional<PortFault> fault() const override { return fault_; }

  // The device path the last open used.
  QString portPath() const { return QString::fromStdString(path_); }

  // Longest a write may take to leave the port (1 KB at 9600 bits/s is 1 s).
  static constexpr int kWriteLimitMs = 5000;
  // Most received bytes kept in memory. Above the longest wait of an
  // exchange (a head announcing 65535 bytes of text waits for 65537), so
  // that a wait never finds the buffer full short of its count.
  static constexpr qint64 kReadBufferBytes = 128 * 1024;

 private:
  // False once the port reported a real error (a time-out is not one); the
  // error is then kept as the fault.
  bool healthy();
  // Keeps the port's error as the fault, finding out whether the device is gone.
  void noteFault();
  // Reacts to an error reported while the event loop runs.
  void checkLoss();
  // Takes in what the operating system already holds, without waiting.
  void pull();

  QSerialPort port_;
  SteadyClock clock_;
  int portNumber_ = 0;
  std::string path_;
  std::optional<PortFault> fault_;
  bool lossCheckQueued_ = false;
};

// How a failed open of `port` maps onto the link's open errors.
OpenError MapOpenError(QSerialPort::SerialPortError error);

}  // namespace kdx::ui
