// kdx846-run: runs a console script against a KDX-846 without a window. The
// same syntax, transaction and time limits as the console's "Start"; the
// traffic and history lines (or one JSON object per exchange) on standard
// output; messages on standard error; an exit status a CI job can use.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/command_line.h"
#include "console/console_run.h"
#include "link/conversions.h"
#include "link/monitor.h"
#include "program_help.h"
#include "run_options.h"
#include "run_output.h"
#include "runner_line.h"

namespace {

using namespace kdx;
using namespace kdx::run;

constexpr std::size_t kMaxScriptBytes = 1 << 20;

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) {
  gInterrupted = 1;
}

// The first Ctrl-C cancels like "Cancel"; a second one ends the program at
// once (the handler resets itself).
void CatchInterrupt() {
#ifndef _WIN32
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
#else
  std::signal(SIGINT, OnInterrupt);
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
  for (std::int32_t i = 0; i < lines; ++i) {
    const std::string line = ReadTextLine(text, i);
    if (line.empty()) continue;
    if (static_cast<unsigned char>(line[0]) < 0x30) break;
    const ParsedLine parsed = ParseCommandLine(line);
    if (!parsed.ok()) {
      error = name + ":" + std::to_string(i + 1) + ": " + FaultText(parsed.fault) +
              ": Error:Please Check The Data Effective";
      return false;
    }
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

}  // namespace

int main(int argc, char** argv) {
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
  std::string script;
  if (!ReadScript(options.script, script, error) || !CheckScript(options.script, script, error))
    return BadInput(error);

  auto line = OpenRunnerLine(options.port, options.baud, error);
  if (!line) {
    std::fprintf(stderr, "kdx846-run: cannot open %s\n", error.c_str());
    return kExitLink;
  }
  CatchInterrupt();

  SteadyClock clock;
  RunMessages messages(stderr);
  Monitor monitor;  // the console logs in its own lists
  LinkState link;
  link.linkOpen = true;
  link.addressText = options.address;
  Session session{*line, clock, messages, monitor, link};
  RunView view(stdout, options.format, script, options.repeat);
  ConsoleState state;
  SystemLocalTime time;
  Outcome outcome;
  bool cancelled = false;
  ConsoleContext context{session, state, view, time, nullptr, nullptr};
  context.processEvents = [&] {
    if (gInterrupted && !cancelled) {
      cancelled = true;
      CancelRun(context);
    }
  };
  context.onExchange = [&](const ExchangeRecord& record) {
    outcome.add(record);
    const int pass = state.repeatCount - state.remaining + 1;
    const std::string text = options.format == Format::JsonLines
                                 ? ExchangeJson(record, state.currentLine + 1, pass)
                                 : ExchangeText(record);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
  };
  context.lostPortAdvice = "Check the cable and run the script again.";

  LoadConsole(context);
  StartRun(context);
  std::fflush(stdout);
  line->close();
  if (gInterrupted) return kExitCancelled;
  return outcome.status();
}
