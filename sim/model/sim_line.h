#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_line.h"
#include "model/device_model.h"
#include "model/virtual_clock.h"

namespace kdx::sim {

// A SerialLine whose far end is a DeviceModel on virtual time: the real
// protocol with no real waiting. Several ports can each have a device, so a
// port scan can be run against it. A device hears and answers only while the
// host has its port open at the device's baud rate; at any other rate the
// line stays silent, as a real unit does with bytes it cannot frame.
//
// Waiting advances the virtual clock to the next byte the device sends, or to
// the deadline, so a test can assert how long an exchange took.
class SimLine final : public SerialLine {
 public:
  // One piece of traffic, for tests that look at the line itself.
  struct Event {
    std::int64_t atMs;
    bool fromHost;
    Bytes bytes;
  };

  explicit SimLine(VirtualClock& clock) : clock_(clock) {}

  // Puts `model` (not owned) on port `port`, talking at `baud`.
  void attach(int port, DeviceModel& model, int baud);
  void detach(int port) { ports_.erase(port); }
  // What opening `port` reports instead of opening it (InUse, Other), and
  // the reason it gives; None restores normal opening.
  void setOpenError(int port, OpenError error, std::string reason = {}) {
    openErrors_[port] = OpenResult{error, {}, std::move(reason)};
  }
  // Makes every later operation on the open port report a port error, the
  // port itself still being there; `repair` ends it.
  void breakLine() { broken_ = true; }
  // The same, once the virtual clock reaches `atMs` (in the middle of an
  // exchange).
  void breakLineAt(std::int64_t atMs) {
    breakAtMs_ = atMs;
    goneAtBreak_ = false;
  }
  // Takes the open port's device away, as a pulled USB adapter does: every
  // later operation fails with the device gone, and opening the port finds
  // nothing until `repair` puts it back.
  void loseDevice() { broken_ = gone_ = true; }
  void loseDeviceAt(std::int64_t atMs) {
    breakAtMs_ = atMs;
    goneAtBreak_ = true;
  }
  void repair() {
    broken_ = gone_ = false;
    breakAtMs_.reset();
  }

  const std::vector<Event>& traffic() const { return traffic_; }
  int openPort() const { return open_ ? port_ : 0; }
  int openBaud() const { return open_ ? baud_ : 0; }

  OpenResult open(int port, int baud) override;
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void discardInput() override;
  void discardOutput() override {}
  std::size_t bytesWaiting() override;
  WaitResult waitForBytes(std::size_t count, std::int64_t deadlineMs) override;
  bool read(std::size_t count, Bytes& out) override;
  bool write(ByteView bytes) override;
  std::optional<PortFault> fault() const override;

 private:
  struct Port {
    DeviceModel* model;
    int baud;
  };
  // The device at the open port when it can hear the host, else null.
  DeviceModel* listening();
  // Moves what the device sent up to `upToMs` into the input buffer.
  void arrive(std::int64_t upToMs);

  VirtualClock& clock_;
  std::map<int, Port> ports_;
  std::map<int, OpenResult> openErrors_;
  std::vector<Event> traffic_;
  Bytes input_;
  bool open_ = false;
  bool broken_ = false;
  bool gone_ = false;
  std::optional<std::int64_t> breakAtMs_;
  bool goneAtBreak_ = false;
  int port_ = 0;
  int baud_ = 0;
};

}  // namespace kdx::sim
