// kdx846-bench: how much the tool adds to an exchange with the KDX-846, what
// it costs to wait out a silent unit, whether a long traffic monitor slows
// appending, and whether line noise while idle makes the tool grow. Runs against kdx846-sim on a
// pseudo-terminal and prints a report; a missed target is reported, not an error. Exits non-zero
// only when the bench itself cannot run.
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console_bench.h"
#include "link_bench.h"
#include "monitor_bench.h"
#include "station_bench.h"
#include "stats.h"
#include "support/sim_process.h"

namespace {

using namespace kdx::bench;

constexpr int kRounds = 10;
constexpr int kPerRound = 100;  // 1000 exchanges each way
constexpr double kOverheadTargetMs = 0.3;
constexpr double kSilentCpuTargetPercent = 2.0;
constexpr int kMonitorPrefill = 10000;
constexpr int kMonitorShortPrefill = 100;
constexpr int kMonitorSamples = 200;
constexpr double kMonitorRatioTarget = 1.2;
constexpr int kFloodRate = 1'000'000;  // bytes per second
constexpr int kFloodSeconds = 60;
constexpr long kFloodGrowthTargetKb = 10 * 1024;
constexpr double kConsoleRatioTarget = 1.2;
constexpr int kConsoleListLines = 100000;
constexpr int kConsoleListBlock = 1000;
constexpr int kRunnerLines = 10000;
constexpr int kRunnerRounds = 5;
constexpr int kStationUnits = 16;
constexpr int kStationLines = 1000;
constexpr int kStationRounds = 3;
constexpr int kBurnInSeconds = 60;
constexpr long kBurnInGrowthTargetKb = 10 * 1024;
constexpr int kBurnInSettleSeconds = 5;

int CannotRun(const std::string& why) {
  std::fprintf(stderr, "kdx846-bench: cannot run: %s\n", why.c_str());
  return 1;
}

void ReportExchanges(const ExchangeFigures& f) {
  const double toolMedian = Median(f.toolMs), toolP95 = Percentile(f.toolMs, 95);
  const double floorMedian = Median(f.floorMs), floorP95 = Percentile(f.floorMs, 95);
  std::printf("1. Card Status exchange (F2 00 00 03 43 31 30 03 B0), %zu exchanges each way\n",
              f.toolMs.size());
  std::printf("   %-40s median %7.3f ms   p95 %7.3f ms\n", "tool (ExecuteCommand + QtSerialLine)",
              toolMedian, toolP95);
  std::printf("   %-40s median %7.3f ms   p95 %7.3f ms\n", "floor (POSIX write/poll/read)",
              floorMedian, floorP95);
  const double medianDiff = toolMedian - floorMedian, p95Diff = toolP95 - floorP95;
  std::printf("   %-40s median %+7.3f ms   p95 %+7.3f ms\n", "difference", medianDiff, p95Diff);
  std::printf("   target: within %.1f ms of the floor   median %s   p95 %s\n\n", kOverheadTargetMs,
              Verdict(medianDiff <= kOverheadTargetMs), Verdict(p95Diff <= kOverheadTargetMs));
}

void ReportSilent(const SilentFigures& f) {
  const double share = f.wallMs > 0 ? 100.0 * f.cpuMs / f.wallMs : 0;
  std::printf("2. Waiting out a silent unit (one exchange, ExecuteCommand + QtSerialLine)\n");
  std::printf("   wall %.0f ms   CPU (user + system) %.1f ms   share %.3f %%\n", f.wallMs, f.cpuMs,
              share);
  std::printf("   target: under %.0f %% of wall time   %s\n\n", kSilentCpuTargetPercent,
              Verdict(share < kSilentCpuTargetPercent));
}

void ReportMonitor(const MonitorFigures& f) {
  const std::string fullName = "holding " + std::to_string(f.prefilled) + " exchanges";
  const std::string shortName = "holding " + std::to_string(f.shortPrefilled) + " (view full)";
  auto row = [](const std::string& name, const std::vector<double>& appendUs,
                const std::vector<double>& totalUs) {
    std::printf("   %-28s %8.1f us %8.1f us   %8.1f us %8.1f us\n", name.c_str(), Median(appendUs),
                Percentile(appendUs, 95), Median(totalUs), Percentile(totalUs, 95));
  };
  std::printf("3. Appending one exchange (%zu bytes) to the monitor, its view shown\n",
              f.exchangeBytes);
  std::printf("   %-28s %-23s  %s\n", "", "append: median   p95", "append+repaint: median   p95");
  row("empty monitor", f.emptyAppendUs, f.emptyUs);
  row(shortName, f.shortAppendUs, f.shortUs);
  row(fullName, f.fullAppendUs, f.fullUs);
  const double empty = Median(f.emptyUs), brief = Median(f.shortUs), full = Median(f.fullUs);
  const double vsEmpty = empty > 0 ? full / empty : 0;
  const double vsShort = brief > 0 ? full / brief : 0;
  std::printf("   ratio %d/empty   %.2f   target: within %.1fx   %s\n", f.prefilled, vsEmpty,
              kMonitorRatioTarget, Verdict(vsEmpty <= kMonitorRatioTarget));
  // Repainting a view full of text costs more than repainting five lines,
  // whatever the history; with the view full on both sides, the ratio tells
  // whether the history's length costs anything.
  std::printf("   ratio %d/%d     %.2f   (history length alone, view full both times)   %s\n",
              f.prefilled, f.shortPrefilled, vsShort, Verdict(vsShort <= kMonitorRatioTarget));
}

void ReportFlood(const FloodFigures& f) {
  const auto mb = [](double kb) { return kb / 1024.0; };
  std::printf(
      "\n4. An idle connected tool under line noise (%d bytes/s for %d s, event loop "
      "running)\n",
      f.bytesPerSecond, f.seconds);
  const long growth = f.residentAfterKb - f.residentBeforeKb;
  std::printf(
      "   resident memory before %.1f MB   after %.1f MB   peak %.1f MB   growth %+.1f MB\n",
      mb(f.residentBeforeKb), mb(f.residentAfterKb), mb(f.residentPeakKb), mb(growth));
  std::printf("   noise on the line %.1f MB, refused by the full terminal %.1f MB   CPU %.0f ms\n",
              static_cast<double>(f.written) / 1e6, static_cast<double>(f.dropped) / 1e6, f.cpuMs);
  std::printf("   Card Status after the flood: %s\n", f.exchangeAfter ? "OK" : "FAILED");
  std::printf(
      "   target: growth within %ld MB   %s\n", kFloodGrowthTargetKb / 1024,
      Verdict(f.residentPeakKb - f.residentBeforeKb <= kFloodGrowthTargetKb && f.exchangeAfter));
}

void ReportConsoleLine(const ConsoleLineFigures& f) {
  const double console = Median(f.consoleMs), execute = Median(f.executeMs);
  const double ratio = execute > 0 ? console / execute : 0;
  std::printf(
      "5. One console line against one ExecuteCommand exchange (C10, Card Status), %zu each\n",
      f.consoleMs.size());
  std::printf("   %-40s median %7.3f ms   p95 %7.3f ms\n", "console line (lists in memory)",
              console, Percentile(f.consoleMs, 95));
  std::printf("   %-40s median %7.3f ms   p95 %7.3f ms\n", "ExecuteCommand (monitor text)", execute,
              Percentile(f.executeMs, 95));
  std::printf("   ratio %.2f   target: within %.1fx   %s\n\n", ratio, kConsoleRatioTarget,
              Verdict(ratio <= kConsoleRatioTarget));
}

void ReportConsoleLists(const ConsoleListFigures& f) {
  std::printf(
      "6. The console window's lists over %d lines (instant in-process unit, window as view)\n",
      f.lines);
  const double ratio = f.firstBlockUs > 0 ? f.lastBlockUs / f.firstBlockUs : 0;
  std::printf("   per line: first %d lines %.1f us, last %d lines %.1f us   ratio %.2f   %s\n",
              f.blockLines, f.firstBlockUs, f.blockLines, f.lastBlockUs, ratio,
              Verdict(ratio <= kConsoleRatioTarget));
  std::printf("   resident memory:");
  for (const auto& [lines, kb] : f.residentKb) std::printf("  %d lines %ld KB", lines, kb);
  const long first = f.residentKb.empty() ? 0 : f.residentKb.front().second;
  const long last = f.residentKb.empty() ? 0 : f.residentKb.back().second;
  std::printf("\n   memory flat (last within 1.2x of first)   %s\n\n",
              Verdict(first > 0 && last <= first * 1.2));
}

void ReportRunner(const RunnerFigures& f) {
  const double runner = Median(f.runnerMs), floor = Median(f.floorMs);
  const double runnerBest = Percentile(f.runnerMs, 0), floorBest = Percentile(f.floorMs, 0);
  const double ratio = floor > 0 ? runner / floor : 0;
  const double bestRatio = floorBest > 0 ? runnerBest / floorBest : 0;
  std::printf("7. kdx846-run, %d lines of C10 (output to /dev/null), %zu runs each\n", f.lines,
              f.runnerMs.size());
  std::printf("   %-40s median %8.1f ms   best %8.1f ms   %.3f ms a line\n",
              "kdx846-run (process start included)", runner, runnerBest, runnerBest / f.lines);
  std::printf("   %-40s median %8.1f ms   best %8.1f ms   %.3f ms a line\n",
              "floor (POSIX write/poll/read loop)", floor, floorBest, floorBest / f.lines);
  // Both wait mostly on the simulator, so the machine's load moves them;
  // the best runs are the least disturbed.
  std::printf("   ratio median %.2f   best %.2f   target: within %.1fx   median %s   best %s\n",
              ratio, bestRatio, kConsoleRatioTarget, Verdict(ratio <= kConsoleRatioTarget),
              Verdict(bestRatio <= kConsoleRatioTarget));
}

void RatioRow(const char* name, const std::vector<double>& ms) {
  std::printf("   %-40s median %8.1f ms   best %8.1f ms\n", name, Median(ms), Percentile(ms, 0));
}

void RatioVerdict(const std::vector<double>& ms, const std::vector<double>& against) {
  const double median = Median(against) > 0 ? Median(ms) / Median(against) : 0;
  const double best = Percentile(against, 0) > 0 ? Percentile(ms, 0) / Percentile(against, 0) : 0;
  std::printf("   ratio median %.2f   best %.2f   target: within %.1fx   median %s   best %s\n",
              median, best, kConsoleRatioTarget, Verdict(median <= kConsoleRatioTarget),
              Verdict(best <= kConsoleRatioTarget));
}

void ReportStation(const StationFigures& f) {
  std::printf(
      "8. kdx846-run driving %d units at once, %d lines of C10 each (JSON lines to /dev/null), "
      "%zu runs each\n",
      f.units, f.lines, f.slowStationMs.size());
  std::printf("   (a) units that answer after 5 ms\n");
  RatioRow("one runner, every unit", f.slowStationMs);
  RatioRow("one runner, one unit", f.slowOneUnitMs);
  RatioVerdict(f.slowStationMs, f.slowOneUnitMs);
  std::printf("   (b) units that answer at once: the processor decides\n");
  RatioRow("one runner, every unit", f.fastStationMs);
  RatioRow("a runner per unit, all at once", f.fastProcessesMs);
  RatioVerdict(f.fastStationMs, f.fastProcessesMs);
  std::printf("   (c) the results database (--results), units that answer at once\n");
  if (!f.resultsNote.empty()) {
    std::printf("   %s\n", f.resultsNote.c_str());
  } else {
    RatioRow("with --results", f.resultsMs);
    RatioRow("without", f.plainMs);
    RatioVerdict(f.resultsMs, f.plainMs);
  }
  if (!f.watchedMs.empty()) {
    std::printf("   (c') --results on one growing file, kdx846-results following it or not\n");
    RatioRow("window following the file", f.watchedMs);
    RatioRow("no window", f.unwatchedMs);
    RatioVerdict(f.watchedMs, f.unwatchedMs);
  }
  const auto mb = [](long kb) { return static_cast<double>(kb) / 1024.0; };
  std::printf("   (d) resident memory of a %d s burn-in of %d units answering after 5 ms\n",
              f.burnInSeconds, f.units);
  if (f.residentKb.empty()) {
    std::printf("   no samples\n");
    return;
  }
  const std::size_t settled =
      std::min<std::size_t>(kBurnInSettleSeconds - 1, f.residentKb.size() - 1);
  const long start = f.residentKb[settled];
  const long peak =
      *std::max_element(f.residentKb.begin() + static_cast<long>(settled), f.residentKb.end());
  std::printf("   after %zu s %.1f MB   peak %.1f MB   last %.1f MB   growth %+.1f MB\n",
              settled + 1, mb(start), mb(peak), mb(f.residentKb.back()), mb(peak - start));
  std::printf("   target: growth within %ld MB   %s\n", kBurnInGrowthTargetKb / 1024,
              Verdict(peak - start <= kBurnInGrowthTargetKb));
}

}  // namespace

int main(int argc, char** argv) {
  // The monitor view needs a window system; without a display, draw offscreen.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  // "--station" runs the station figures (8) alone; "--burn-in SECONDS"
  // sets the length of its burn-in (60 s; the reference figure is 600).
  bool stationOnly = false;
  int burnIn = kBurnInSeconds;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--station") {
      stationOnly = true;
    } else if (arg == "--burn-in" && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
      burnIn = std::atoi(argv[++i]);
    } else {
      return CannotRun("usage: kdx846-bench [--station] [--burn-in SECONDS]");
    }
  }

  const std::string simPath = kdx::test::SimProcess::executable();
  if (simPath.empty()) return CannotRun("KDX846_SIM does not name the kdx846-sim executable");
  if (::access(simPath.c_str(), X_OK) != 0) return CannotRun(simPath + " is not an executable");

  const char* runner = std::getenv("KDX846_RUN");
  if (runner == nullptr || ::access(runner, X_OK) != 0)
    return CannotRun("KDX846_RUN does not name the kdx846-run executable");
  // The results window is optional: without it, (c') is left out.
  const char* found = std::getenv("KDX846_RESULTS");
  const std::string viewer = found && ::access(found, X_OK) == 0 ? found : "";
  std::string error;
  if (stationOnly) {
    StationFigures station;
    if (!MeasureStation(runner, viewer, kStationUnits, kStationLines, kStationRounds, burnIn,
                        station, error))
      return CannotRun(error);
    ReportStation(station);
    return 0;
  }

  kdx::test::SimProcess sim;
  // Latency 0: the simulated unit answers as soon as it has read the frame, so
  // what remains is the line and the programs on both ends.
  if (!sim.start({"--latency", "0"}, &error)) return CannotRun(error);
  const std::string state = sim.control("state");
  if (state.find("latency=0 ") == std::string::npos)
    return CannotRun("the simulator did not take --latency 0: " + state);
  std::printf("kdx846-bench: kdx846-sim --latency 0 on %s\n\n", sim.linkPath().c_str());
  std::fflush(stdout);

  ExchangeFigures exchanges;
  if (!MeasureExchanges(sim, kRounds, kPerRound, exchanges, error)) return CannotRun(error);
  ReportExchanges(exchanges);
  std::fflush(stdout);

  SilentFigures silent;
  if (!MeasureSilentWait(sim, silent, error)) return CannotRun(error);
  ReportSilent(silent);
  std::fflush(stdout);

  const MonitorFigures monitor = MeasureMonitorAppend(exchanges.monitorPieces, kMonitorPrefill,
                                                      kMonitorShortPrefill, kMonitorSamples);
  ReportMonitor(monitor);
  std::fflush(stdout);

  FloodFigures flood;
  if (!MeasureIdleFlood(sim, kFloodRate, kFloodSeconds, flood, error)) return CannotRun(error);
  ReportFlood(flood);
  std::printf("\n");
  std::fflush(stdout);

  ConsoleLineFigures line;
  if (!MeasureConsoleLine(sim, kRounds, kPerRound, line, error)) return CannotRun(error);
  ReportConsoleLine(line);
  std::fflush(stdout);

  ReportConsoleLists(MeasureConsoleLists(kConsoleListLines, kConsoleListBlock));
  std::fflush(stdout);

  RunnerFigures runs;
  if (!MeasureRunner(sim, runner, kRunnerLines, kRunnerRounds, runs, error))
    return CannotRun(error);
  ReportRunner(runs);
  std::printf("\n");
  std::fflush(stdout);

  StationFigures station;
  if (!MeasureStation(runner, viewer, kStationUnits, kStationLines, kStationRounds, burnIn, station,
                      error))
    return CannotRun(error);
  ReportStation(station);
  return 0;
}
