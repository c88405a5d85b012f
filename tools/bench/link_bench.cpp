#include "link_bench.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/frame.h"
#include "link/transaction.h"
#include "stats.h"
#include "support/process_memory.h"
#include "support/recording_messages.h"
#include "ui/adapters/qt_serial_line.h"

namespace kdx::bench {

namespace {

// The exchange with nothing but system calls: the least any program can
// spend on it. Raw terminal, blocking descriptor, poll() before each read.
class PosixLink {
 public:
  ~PosixLink() { close(); }

  bool open(const std::string& path, std::string& error) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
      error = "open " + path + ": " + std::strerror(errno);
      return false;
    }
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) {
      error = std::string("tcgetattr: ") + std::strerror(errno);
      return false;
    }
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
      error = std::string("tcsetattr: ") + std::strerror(errno);
      return false;
    }
    ::tcflush(fd_, TCIOFLUSH);
    pending_.clear();
    return true;
  }

  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  // Writes `command`, reads the ACK and the reply frame, writes the ACK.
  // `reply` gets the frame after its head: text, ETX and check byte.
  bool exchange(ByteView command, Bytes& reply, std::string& error) {
    if (!writeAll(command)) return fail(error, "write failed");
    Bytes ack, head;
    if (!take(1, ack)) return fail(error, "no ACK");
    if (ack[0] != kAck) return fail(error, "got " + HexByte(ack[0]) + " instead of ACK");
    if (!take(4, head)) return fail(error, "no reply head");
    if (head[0] != kStx) return fail(error, "reply does not start with STX");
    if (!take(static_cast<std::size_t>(ReplyTextLength(head)) + 2, reply))
      return fail(error, "reply cut short");
    const std::uint8_t ackByte = kAck;
    if (!writeAll(ByteView(&ackByte, 1))) return fail(error, "write of ACK failed");
    return true;
  }

 private:
  static bool fail(std::string& error, const std::string& why) {
    error = "POSIX exchange: " + why;
    return false;
  }

  bool writeAll(ByteView bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  // Moves the first `count` received bytes into `out`, reading as needed;
  // gives up after a second without them.
  bool take(std::size_t count, Bytes& out) {
    const long long deadline = NowNs() + 1'000'000'000LL;
    while (pending_.size() < count) {
      const long long remainingMs = (deadline - NowNs()) / 1'000'000;
      if (remainingMs <= 0) return false;
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(remainingMs));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0 || !(p.revents & POLLIN)) return false;
      std::uint8_t buffer[1024];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) return false;
      pending_.insert(pending_.end(), buffer, buffer + n);
    }
    out.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    return true;
  }

  int fd_ = -1;
  Bytes pending_;
};

// ExecuteCommand over QtSerialLine on COM1, which KDX846_COM1 points at the
// simulator's terminal: the session the tool itself runs on.
struct ToolLink {
  ui::QtSerialLine line;
  SteadyClock clock;
  test::RecordingMessages messages;
  Monitor monitor;
  LinkState state;
  Session session{line, clock, messages, monitor, state};

  bool open(const std::string& path, std::string& error) {
    ::setenv("KDX846_COM1", path.c_str(), 1);
    if (!line.open(1, 9600).ok()) {
      error = "QtSerialLine could not open " + path;
      return false;
    }
    state.linkOpen = true;
    return true;
  }

  int exchange(const Bytes& command, Bytes& reply, std::int16_t& count) {
    return ExecuteCommand(session, command, static_cast<int>(command.size()), reply, count);
  }

  std::string lastMessage() const {
    return messages.boxes.empty() ? std::string("none") : messages.boxes.back().text;
  }
};

}  // namespace

Bytes CardStatusCommand() {
  return BuildCommand(0x00, '1', '0');
}

bool MeasureExchanges(test::SimProcess& sim, int rounds, int perRound, ExchangeFigures& out,
                      std::string& error) {
  const Bytes command = CardStatusCommand();
  Bytes expected;  // the reply text, ETX and check byte of the first exchange

  auto runTool = [&](int count, std::vector<double>* times) {
    ToolLink tool;
    if (!tool.open(sim.linkPath(), error)) return false;
    Bytes reply;
    for (int i = 0; i < count; ++i) {
      std::int16_t replyCount = 0;
      // A fresh monitor for each exchange (untimed), as an operation without
      // "Record Data" has.
      tool.monitor.clear();
      const bool capture = out.monitorPieces.empty();
      if (capture)
        tool.monitor.onAppend = [&](std::string_view p) { out.monitorPieces.emplace_back(p); };
      const long long start = NowNs();
      const int result = tool.exchange(command, reply, replyCount);
      const long long end = NowNs();
      tool.monitor.onAppend = nullptr;
      if (result != kExchangeDone || replyCount <= 0 || !tool.messages.boxes.empty()) {
        error = "ExecuteCommand failed (result " + std::to_string(result) +
                ", message: " + tool.lastMessage() + ")";
        return false;
      }
      const Bytes got(reply.begin(), reply.begin() + replyCount);
      if (expected.empty()) expected = got;
      if (got != expected) {
        error = "ExecuteCommand got " + HexBytes(got) + " instead of " + HexBytes(expected);
        return false;
      }
      if (capture) out.monitorPieces.emplace_back(kCrLf);  // the operation's epilogue
      if (times) times->push_back(static_cast<double>(end - start) / 1e6);
    }
    return true;
  };

  auto runFloor = [&](int count, std::vector<double>* times) {
    PosixLink posix;
    if (!posix.open(sim.linkPath(), error)) return false;
    Bytes reply;
    for (int i = 0; i < count; ++i) {
      const long long start = NowNs();
      const bool ok = posix.exchange(command, reply, error);
      const long long end = NowNs();
      if (!ok) return false;
      if (!expected.empty() && reply != expected) {
        error = "POSIX exchange got " + HexBytes(reply) + " instead of " + HexBytes(expected);
        return false;
      }
      if (times) times->push_back(static_cast<double>(end - start) / 1e6);
    }
    return true;
  };

  // Warm up both ways (caches, the simulator's first allocations), untimed.
  if (!runTool(20, nullptr) || !runFloor(20, nullptr)) return false;
  // Rounds alternate which way goes first, so that a change of load on the
  // machine falls on both alike.
  for (int round = 0; round < rounds; ++round) {
    const bool toolFirst = round % 2 == 0;
    if (toolFirst && !runTool(perRound, &out.toolMs)) return false;
    if (!runFloor(perRound, &out.floorMs)) return false;
    if (!toolFirst && !runTool(perRound, &out.toolMs)) return false;
  }
  return true;
}

bool MeasureSilentWait(test::SimProcess& sim, SilentFigures& out, std::string& error) {
  if (sim.control("fault silent") != "ok") {
    error = "the simulator refused 'fault silent'";
    return false;
  }
  ToolLink tool;
  if (!tool.open(sim.linkPath(), error)) return false;
  Bytes reply;
  std::int16_t count = 0;
  const long long cpuBefore = ProcessCpuNs();
  const long long wallBefore = NowNs();
  const int result = tool.exchange(CardStatusCommand(), reply, count);
  const long long wallAfter = NowNs();
  const long long cpuAfter = ProcessCpuNs();
  tool.line.close();
  if (sim.control("fault off") != "ok") {
    error = "the simulator refused 'fault off'";
    return false;
  }
  if (result != kExchangeNoReply) {
    error = "a silent device gave result " + std::to_string(result) + " instead of no reply";
    return false;
  }
  out.wallMs = static_cast<double>(wallAfter - wallBefore) / 1e6;
  out.cpuMs = static_cast<double>(cpuAfter - cpuBefore) / 1e6;
  return true;
}

bool MeasureIdleFlood(test::SimProcess& sim, int bytesPerSecond, int seconds, FloodFigures& out,
                      std::string& error) {
  out.bytesPerSecond = bytesPerSecond;
  out.seconds = seconds;
  ToolLink tool;
  if (!tool.open(sim.linkPath(), error)) return false;
  const Bytes command = CardStatusCommand();
  Bytes reply;
  std::int16_t count = 0;
  if (tool.exchange(command, reply, count) != kExchangeDone || count <= 0) {
    error = "the tool did not connect before the flood: " + tool.lastMessage();
    return false;
  }

  out.residentBeforeKb = out.residentPeakKb = test::ResidentKb();
  const long long cpuBefore = ProcessCpuNs();
  const std::string flood =
      "flood " + std::to_string(bytesPerSecond) + " " + std::to_string(seconds);
  if (sim.control(flood) != "ok") {
    error = "the simulator refused '" + flood + "'";
    return false;
  }
  // Idle as the window is: the event loop runs and the port reads what comes.
  QEventLoop loop;
  QTimer sample;
  QObject::connect(&sample, &QTimer::timeout,
                   [&] { out.residentPeakKb = std::max(out.residentPeakKb, test::ResidentKb()); });
  sample.start(250);
  QTimer::singleShot(seconds * 1000 + 500, &loop, &QEventLoop::quit);
  loop.exec();
  sample.stop();
  out.residentAfterKb = test::ResidentKb();
  out.residentPeakKb = std::max(out.residentPeakKb, out.residentAfterKb);
  out.cpuMs = static_cast<double>(ProcessCpuNs() - cpuBefore) / 1e6;

  // The simulator logs what it got onto the line once the flood is over.
  const std::string marker = "flood ended: ";
  for (int tries = 0; tries < 40; ++tries) {
    const std::string log = sim.log();
    const auto at = log.rfind(marker);
    if (at != std::string::npos) {
      std::sscanf(log.c_str() + at + marker.size(), "%lld bytes written, %lld dropped",
                  &out.written, &out.dropped);
      break;
    }
    QEventLoop wait;
    QTimer::singleShot(50, &wait, &QEventLoop::quit);
    wait.exec();
  }
  count = 0;
  out.exchangeAfter =
      tool.exchange(command, reply, count) == kExchangeDone && count > 0 && reply[0] == 'P';
  return true;
}

bool FloorExchanges(test::SimProcess& sim, int count, double& wallMs, std::string& error) {
  PosixLink posix;
  if (!posix.open(sim.linkPath(), error)) return false;
  const Bytes command = CardStatusCommand();
  Bytes reply;
  const long long start = NowNs();
  for (int i = 0; i < count; ++i) {
    if (!posix.exchange(command, reply, error)) return false;
  }
  wallMs = static_cast<double>(NowNs() - start) / 1e6;
  return true;
}

}  // namespace kdx::bench
