#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/serial_line.h"
#include "model/virtual_clock.h"

namespace kdx::test {

// A serial line whose far end is a script on virtual time. The test decides
// what the "device" sends, and when, in answer to each write; every write is
// recorded with its time.
class ScriptedLine final : public SerialLine {
 public:
  struct Write {
    std::int64_t atMs;
    Bytes bytes;
  };

  explicit ScriptedLine(sim::VirtualClock& clock) : clock_(clock) {}

  // Called for each write with its index (0 for the first) and bytes.
  std::function<void(int index, const Bytes& bytes)> onWrite;

  // Bytes that become readable `delayMs` after now.
  void deliverIn(std::int64_t delayMs, Bytes bytes);
  // Makes every later port operation report an error, with `reason` as the
  // system's words; closing the port ends it.
  void breakLine(std::string reason = "Input/output error") { fail(false, std::move(reason)); }
  // The same with the device gone, as when a USB adapter is pulled.
  void loseDevice(std::string reason = "Input/output error") { fail(true, std::move(reason)); }
  // Breaks the line once `reads` more reads have succeeded (`gone`: the
  // device went away).
  void breakAfterReads(int reads, bool gone = false) {
    readsUntilBreak_ = reads;
    goneAtBreak_ = gone;
  }
  // What opening reports (None by default); `onOpen`, when set, decides.
  // A failed open gives `openReason` as the system's words.
  OpenError openResult = OpenError::None;
  std::function<OpenError(int port, int baud)> onOpen;
  std::string openReason;
  // The device path the line reports for every port.
  std::string path = "/dev/ttyUSB0";

  const std::vector<Write>& writes() const { return writes_; }
  int openCount() const { return opens_; }
  int lastBaud() const { return baud_; }
  int lastPort() const { return port_; }

  OpenResult open(int port, int baud) override;
  void close() override { open_ = broken_ = false; }
  bool isOpen() const override { return open_; }
  void discardInput() override;
  void discardOutput() override {}
  std::size_t bytesWaiting() override;
  WaitResult waitForBytes(std::size_t count, std::int64_t deadlineMs) override;
  bool read(std::size_t count, Bytes& out) override;
  bool write(ByteView bytes) override;
  std::optional<PortFault> fault() const override;

 private:
  void arrive(std::int64_t upTo);
  void fail(bool gone, std::string reason) {
    broken_ = true;
    gone_ = gone;
    reason_ = std::move(reason);
  }

  sim::VirtualClock& clock_;
  std::multimap<std::int64_t, Bytes> scheduled_;
  Bytes input_;
  std::vector<Write> writes_;
  bool broken_ = false;
  bool gone_ = false;
  std::string reason_;
  int readsUntilBreak_ = -1;
  bool goneAtBreak_ = false;
  bool open_ = false;
  int opens_ = 0;
  int port_ = 1;  // COM1 until a port is opened
  int baud_ = 0;
};

}  // namespace kdx::test
