#include "console_bench.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "console/command_line.h"
#include "console/console_run.h"
#include "link/transaction.h"
#include "link_bench.h"
#include "stats.h"
#include "support/recording_messages.h"
#include "ui/adapters/file_dialogs.h"
#include "ui/adapters/qt_serial_line.h"
#include "ui/console/cmd_exute_form.h"

namespace kdx::bench {

namespace {

// The lists in memory with the window's clearing, as cheap a view as the
// monitor text ExecuteCommand appends to.
struct MemoryView final : ConsoleView {
  std::vector<std::string> lists[2];
  std::string script;
  void addEntry(ConsoleList l, std::string_view e) override { lists[int(l)].emplace_back(e); }
  void clearList(ConsoleList l) override { lists[int(l)].clear(); }
  std::size_t entryCount(ConsoleList l) override { return lists[int(l)].size(); }
  void selectLastEntry(ConsoleList) override {}
  void showBuiltLine(LineBuffer, std::string_view) override {}
  std::string scriptText() override { return script; }
  void setScriptText(std::string_view t) override { script = t; }
  void highlightLine(int) override {}
  std::string repeatText() override { return "1"; }
  void setLabel(ConsoleLabel, std::string_view) override {}
  void setButtons(const ButtonStates&) override {}
};

// A unit that answers every command at once with ACK and a fixed Card
// Status reply, and keeps no record: what is left to measure is the
// console's own work and its lists.
class InstantUnit final : public SerialLine {
 public:
  OpenResult open(int, int) override { return {}; }
  std::optional<PortFault> fault() const override { return std::nullopt; }
  void close() override {}
  bool isOpen() const override { return true; }
  void discardInput() override { input_.clear(); }
  void discardOutput() override {}
  std::size_t bytesWaiting() override { return input_.size(); }
  WaitResult waitForBytes(std::size_t count, std::int64_t) override {
    return input_.size() >= count ? WaitResult::Ready : WaitResult::TimedOut;
  }
  bool read(std::size_t count, Bytes& out) override {
    const std::size_t n = count == 0 ? input_.size() : std::min(count, input_.size());
    out.assign(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
  }
  bool write(ByteView bytes) override {
    if (!bytes.empty() && bytes[0] == kStx) {
      input_.push_back(kAck);
      input_.insert(input_.end(), kReply.begin(), kReply.end());
    }
    return true;
  }

 private:
  // F2 00 00 06 "P10000" ETX BCC
  const Bytes kReply{0xF2, 0x00, 0x00, 0x06, 0x50, 0x31, 0x30, 0x30, 0x30, 0x30, 0x03, 0x96};
  Bytes input_;
};

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

bool MeasureConsoleLine(test::SimProcess& sim, int rounds, int perRound, ConsoleLineFigures& out,
                        std::string& error) {
  ::setenv("KDX846_COM1", sim.linkPath().c_str(), 1);
  ui::QtSerialLine line;
  if (line.open(1, 9600) != OpenError::None) {
    error = "QtSerialLine could not open " + sim.linkPath();
    return false;
  }
  SteadyClock clock;
  test::RecordingMessages messages;
  Monitor monitor;
  LinkState state;
  state.linkOpen = true;
  Session session{line, clock, messages, monitor, state};
  MemoryView view;
  ConsoleState console;
  SystemLocalTime time;
  ConsoleContext context{session, console, view, time, [] {}, nullptr};
  const Bytes command = CardStatusCommand();
  const Bytes text = ParseCommandLine("C10").text;

  auto runConsole = [&](int count, std::vector<double>* times) {
    Bytes reply(kReplyBufferSize);
    for (int i = 0; i < count; ++i) {
      if (view.entryCount(ConsoleList::Traffic) > 500) view.clearList(ConsoleList::Traffic);
      const long long start = NowNs();
      Bytes frame = BuildConsoleFrame(0, text);
      int length = 0;
      const int result =
          ConsoleTransaction(context, frame, static_cast<int>(frame.size()), reply, length);
      const long long end = NowNs();
      if (result != kConsoleDone || length <= 0 || !messages.boxes.empty()) {
        error = "console transaction failed (result " + std::to_string(result) + ")";
        return false;
      }
      if (times) times->push_back(static_cast<double>(end - start) / 1e6);
    }
    return true;
  };
  auto runExecute = [&](int count, std::vector<double>* times) {
    Bytes reply;
    for (int i = 0; i < count; ++i) {
      monitor.clear();
      std::int16_t replyCount = 0;
      const long long start = NowNs();
      const int result =
          ExecuteCommand(session, command, static_cast<int>(command.size()), reply, replyCount);
      monitor.epilogue();
      const long long end = NowNs();
      if (result != kExchangeDone || replyCount <= 0 || !messages.boxes.empty()) {
        error = "ExecuteCommand failed (result " + std::to_string(result) + ")";
        return false;
      }
      if (times) times->push_back(static_cast<double>(end - start) / 1e6);
    }
    return true;
  };
  if (!runConsole(20, nullptr) || !runExecute(20, nullptr)) return false;
  for (int round = 0; round < rounds; ++round) {
    const bool consoleFirst = round % 2 == 0;
    if (consoleFirst && !runConsole(perRound, &out.consoleMs)) return false;
    if (!runExecute(perRound, &out.executeMs)) return false;
    if (!consoleFirst && !runConsole(perRound, &out.consoleMs)) return false;
  }
  return true;
}

ConsoleListFigures MeasureConsoleLists(int lines, int blockLines) {
  ConsoleListFigures out;
  out.lines = lines;
  out.blockLines = blockLines;
  InstantUnit unit;
  SteadyClock clock;
  test::RecordingMessages messages;
  Monitor monitor;
  LinkState state;
  state.linkOpen = true;
  Session session{unit, clock, messages, monitor, state};
  ui::QtFileDialogs files;
  ui::CMDExuteForm form(session, files);
  form.show();
  QApplication::processEvents();
  ConsoleState& console = form.consoleState();
  SystemLocalTime time;
  // The window processes events at the start of each line, which repaints
  // it: a cost of the screen, not of the lists, and the same at every line.
  // Here it catches up every 100 lines, enough to keep the posted updates
  // from piling up.
  int line = 0;
  ConsoleContext context{session,
                         console,
                         form,
                         time,
                         [&line] {
                           if (++line % 100 == 0) QApplication::processEvents();
                         },
                         nullptr};
  const Bytes text = ParseCommandLine("C10").text;
  Bytes reply(kReplyBufferSize);
  // Per-line cost of each block of `blockLines` lines, in order.
  std::vector<double> blocks;
  long long blockStart = NowNs();
  int checkpoint = 1000;
  for (int i = 1; i <= lines; ++i) {
    Bytes frame = BuildConsoleFrame(0, text);
    int length = 0;
    ConsoleTransaction(context, frame, static_cast<int>(frame.size()), reply, length);
    if (i % blockLines == 0) {
      blocks.push_back(static_cast<double>(NowNs() - blockStart) / 1e3 / blockLines);
      if (i == checkpoint) {
        QApplication::processEvents();  // the window catches up as between clicks
        out.residentKb.emplace_back(i, ResidentKb());
        checkpoint *= 10;
      }
      blockStart = NowNs();
    }
  }
  // The median of the first and of the last tenth of the blocks, so that a
  // passing load on the machine does not decide.
  const std::size_t tenth = std::max<std::size_t>(blocks.size() / 10, 1);
  out.firstBlockUs = Median(std::vector<double>(blocks.begin(), blocks.begin() + tenth));
  out.lastBlockUs = Median(std::vector<double>(blocks.end() - tenth, blocks.end()));
  out.blockLines = static_cast<int>(tenth) * blockLines;
  return out;
}

bool MeasureRunner(test::SimProcess& sim, const std::string& runner, int lines, int rounds,
                   RunnerFigures& out, std::string& error) {
  out.lines = lines;
  char folder[] = "/tmp/kdx846-bench-XXXXXX";
  if (!::mkdtemp(folder)) {
    error = "cannot make a temporary folder";
    return false;
  }
  const std::string script = std::string(folder) + "/status.txt";
  std::ofstream(script) << "C10";
  const std::string repeat = std::to_string(lines);
  auto runOnce = [&](double& ms) {
    const long long start = NowNs();
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::execl(runner.c_str(), runner.c_str(), script.c_str(), "--port", sim.linkPath().c_str(),
              "--repeat", repeat.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ms = static_cast<double>(NowNs() - start) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      error = "kdx846-run ended with status " + std::to_string(WEXITSTATUS(status));
      return false;
    }
    return true;
  };
  bool ok = true;
  // Rounds alternate which goes first, so that a change of load on the
  // machine falls on both alike.
  for (int round = 0; ok && round < rounds; ++round) {
    double runnerMs = 0, floorMs = 0;
    ok = round % 2 == 0 ? runOnce(runnerMs) && FloorExchanges(sim, lines, floorMs, error)
                        : FloorExchanges(sim, lines, floorMs, error) && runOnce(runnerMs);
    out.runnerMs.push_back(runnerMs);
    out.floorMs.push_back(floorMs);
  }
  std::remove(script.c_str());
  ::rmdir(folder);
  return ok;
}

}  // namespace kdx::bench
