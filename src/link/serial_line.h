#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "link/bytes.h"

namespace kdx {

// How opening a port can fail; the port dialog maps each to its message.
enum class OpenError { None, NoSuchPort, InUse, Other };

// What opening a port came to.
struct OpenResult {
  OpenError error = OpenError::None;
  // The device the port name stands for ("/dev/ttyUSB0"); empty where the
  // line has no such path (the in-process simulator).
  std::string path;
  // The system's words for the failure ("No such file or directory"); empty
  // when the port opened.
  std::string reason;

  bool ok() const { return error == OpenError::None; }
  // Compares the kind of failure only.
  friend bool operator==(const OpenResult& result, OpenError error) {
    return result.error == error;
  }
};

// An error the open port reported.
struct PortFault {
  // The device itself went away (a USB adapter pulled, the far end of a
  // pseudo-terminal closed): nothing can pass until the port is opened anew.
  bool gone = false;
  int port = 0;        // the port as it was opened (1 for "COM1")
  std::string path;    // as in OpenResult
  std::string reason;  // the system's words ("Input/output error")
};

enum class WaitResult { Ready, TimedOut, Failed };

// The serial port as the link uses it: 8 data bits, no parity, 1 stop bit,
// raw bytes. Implemented over QSerialPort, over the in-process simulator and by
// the scripted test line. Deadlines are on the Clock the link runs on.
class SerialLine {
 public:
  virtual ~SerialLine() = default;

  // Opens port `port` (1 for "COM1") at `baud`; closes first if open.
  virtual OpenResult open(int port, int baud) = 0;
  // RTS off, DTR off, close; every error is ignored. Harmless when closed.
  // Forgets any fault.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;

  virtual void discardInput() = 0;
  virtual void discardOutput() = 0;
  // Count of received bytes waiting to be read.
  virtual std::size_t bytesWaiting() = 0;
  // Waits until at least `count` bytes are waiting or the clock reaches
  // `deadlineMs`. Waits in the operating system (or on virtual time), never
  // in a spinning loop. Failed when the port reports an error.
  virtual WaitResult waitForBytes(std::size_t count, std::int64_t deadlineMs) = 0;
  // Reads `count` waiting bytes, or every waiting byte when `count` is 0.
  // Returns false when the port reports an error.
  virtual bool read(std::size_t count, Bytes& out) = 0;
  // Writes all bytes; false when the port reports an error.
  virtual bool write(ByteView bytes) = 0;

  // The error behind the last failed wait, read or write, kept until the
  // port is closed or opened again; none while the port works. A time-out is
  // not an error.
  virtual std::optional<PortFault> fault() const = 0;
};

}  // namespace kdx
