// kdx846-run: runs a console script against one KDX-846 or several at once
// without a window. The same syntax, transaction and time limits as the
// console's "Start"; the traffic and history lines (or one JSON object per
// exchange) on standard output; messages, and for a station run the status
// lines and the summary, on standard error; an exit status a CI job can use.
#include <cerrno>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/command_line.h"
#include "console/console_run.h"
#include "link/conversions.h"
#include "program_help.h"
#include "report_sinks.h"
#include "run_options.h"
#include "run_units.h"
#include "runner_line.h"
#include "sha256.h"

namespace {

using namespace kdx;
using namespace kdx::run;

constexpr std::size_t kMaxScriptBytes = 1 << 20;
// Standard output is written by the merging thread in batches of records.
constexpr std::size_t kOutputBuffer = 1 << 16;

// The signals that stop a run as "Cancel" does: Ctrl-C, a service manager's
// TERM and the HUP of a closed terminal.
#ifndef _WIN32
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
constexpr int kStopSignals[] = {SIGINT, SIGTERM};
#endif

volatile std::sig_atomic_t gStopSignal = 0;

extern "C" void OnStopSignal(int signal) {
  gStopSignal = signal;
#ifndef _WIN32
  // A second one ends the program at once.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  for (int stop : kStopSignals) sigaction(stop, &fallback, nullptr);
#endif
}

// The first stop signal cancels like "Cancel"; a second one ends the program
// at once. A reader of standard output that went away becomes a write error
// the run handles (SIGPIPE is ignored).
void CatchSignals() {
#ifndef _WIN32
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  // Restarted writes: a signal during a write to standard output is not a
  // write error. Only this thread takes the signals: the units' workers
  // block them and hear of a stop from this thread.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int stop : kStopSignals) sigaddset(&action.sa_mask, stop);
  for (int stop : kStopSignals) sigaction(stop, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
#else
  // Windows resets the handler when the signal comes.
  for (int stop : kStopSignals) std::signal(stop, OnStopSignal);
#endif
}

int BadInput(const std::string& why) {
  std::fprintf(stderr, "kdx846-run: %s\n", why.c_str());
  return kExitBadInput;
}

const char* FaultText(LineFault fault) {
  switch (fault) {
    case LineFault::ByteTooLarge:
      return "a hexadecimal pair above FF";
    case LineFault::TooLong:
      return "more than 1019 bytes";
    case LineFault::Dangling:
      return "a \"$\" or blank with nothing after it";
    case LineFault::None:
      break;
  }
  return "";
}

// The lines the run will reach (up to the first that ends it) must frame.
// Numbers are the file's own lines, from 1.
bool CheckScript(const std::string& name, const std::string& text, std::string& error) {
  if (ScriptLineCount(TidyScript(text)) > kMaxScriptLines) {
    error = name + ": more than 255 lines: Error:Please Check The Data Effective";
    return false;
  }
  const auto lines = static_cast<std::int32_t>(ScriptLineCount(text));
  bool sends = false;
  for (std::int32_t i = 0; i < lines; ++i) {
    const std::string line = ReadTextLine(text, i);
    if (line.empty()) continue;
    if (static_cast<unsigned char>(line[0]) < 0x30) break;
    sends = true;
    const ParsedLine parsed = ParseCommandLine(line);
    if (!parsed.ok()) {
      error = name + ":" + std::to_string(i + 1) + ": " + FaultText(parsed.fault) +
              ": Error:Please Check The Data Effective";
      return false;
    }
  }
  if (!sends) {
    error = name + ": nothing to send (no command line before the end or a line that ends a run)";
    return false;
  }
  return true;
}

bool ReadScript(const std::string& path, std::string& text, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  // One byte past the limit tells a file that is too large.
  text.resize(kMaxScriptBytes + 1);
  const std::size_t got = std::fread(text.data(), 1, text.size(), file);
  const bool failed = std::ferror(file) != 0;
  const int why = errno;
  std::fclose(file);
  if (failed) {
    error = "cannot read " + path + ": " + std::strerror(why);
    return false;
  }
  if (got > kMaxScriptBytes) {
    error = path + ": larger than 1048576 bytes";
    return false;
  }
  text.resize(got);
  text = std::string(TrimBlanks(text));
  return true;
}

// A program started with standard input, output or error closed would get
// the unit's port as that descriptor and write its records onto the line:
// each missing one is opened on /dev/null first.
void KeepStandardStreams() {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
#endif
}

// Two names for one device ("COM1" and the path KDX846_COM1 gives) would
// put two workers on one line.
bool DistinctPorts(const std::vector<std::string>& ports, std::string& error) {
  std::vector<std::string> paths;
  for (const std::string& port : ports) {
    std::string path = RunnerPortPath(port);
#ifndef _WIN32
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      path = real;
      std::free(real);
    }
#endif
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (paths[i] == path) {
        error = "--port " + ports[i] + " and --port " + port + " are the same port (" + path + ")";
        return false;
      }
    }
    paths.push_back(path);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  KeepStandardStreams();
  std::setvbuf(stdout, nullptr, _IOFBF, kOutputBuffer);
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "kdx846-run: %s\n%sTry 'kdx846-run --help' for more information.\n",
                 error.c_str(), kdx::about::kUsage);
    return kExitBadInput;
  }
  if (options.help) {
    std::fputs(kdx::about::kHelp, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("%s %s\n", kdx::about::kProgram, kdx::about::kVersion);
    return 0;
  }
  if (!DistinctPorts(options.ports, error)) return BadInput(error);
  std::string script;
  if (!ReadScript(options.script, script, error) || !CheckScript(options.script, script, error))
    return BadInput(error);

  std::string reportError;
  ReportOptions reportOptions = ReportOptionsFrom(options);
  reportOptions.tool = std::string(kdx::about::kProgram) + " " + kdx::about::kVersion;
  auto reports = MakeReportSinks(reportOptions, reportError);
  if (!reportError.empty()) return BadInput(reportError);
  CatchSignals();

  RunInfo info;
  info.scriptPath = options.script;
  info.scriptText = script;
  info.scriptHash = Sha256Hex(script);
  info.arguments.assign(argv + 1, argv + argc);
  info.started = SystemLocalTime().now();
  return RunUnits(options, info, reports, [] { return static_cast<int>(gStopSignal); });
}
