#pragma once

#include <functional>
#include <map>
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
  // Makes every later port operation report an error.
  void breakLine() { broken_ = true; }
  // Breaks the line once `reads` more reads have succeeded.
  void breakAfterReads(int reads) { readsUntilBreak_ = reads; }
  // What opening reports (None by default); `onOpen`, when set, decides.
  OpenError openResult = OpenError::None;
  std::function<OpenError(int port, int baud)> onOpen;

  const std::vector<Write>& writes() const { return writes_; }
  int openCount() const { return opens_; }
  int lastBaud() const { return baud_; }
  int lastPort() const { return port_; }

  OpenError open(int port, int baud) override;
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void discardInput() override;
  void discardOutput() override {}
  std::size_t bytesWaiting() override;
  WaitResult waitForBytes(std::size_t count, std::int64_t deadlineMs) override;
  bool read(std::size_t count, Bytes& out) override;
  bool write(ByteView bytes) override;

 private:
  void arrive(std::int64_t upTo);

  sim::VirtualClock& clock_;
  std::multimap<std::int64_t, Bytes> scheduled_;
  Bytes input_;
  std::vector<Write> writes_;
  bool broken_ = false;
  int readsUntilBreak_ = -1;
  bool open_ = false;
  int opens_ = 0;
  int port_ = 0;
  int baud_ = 0;
};

}  // namespace kdx::test
