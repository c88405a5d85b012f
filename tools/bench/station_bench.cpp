#include "station_bench.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#include "stats.h"
#include "support/sim_process.h"

namespace kdx::bench {

namespace {

using Sims = std::vector<std::unique_ptr<test::SimProcess>>;

bool StartSims(Sims& sims, int units, int latency, std::string& error) {
  sims.clear();
  for (int i = 0; i < units; ++i) {
    sims.push_back(std::make_unique<test::SimProcess>());
    if (!sims.back()->start(
            {"--latency", std::to_string(latency), "--serial", "BENCH-" + std::to_string(i + 1)},
            &error))
      return false;
  }
  return true;
}

// Starts `runner` (kdx846-run, or the results window) with `args`, its
// output and messages to /dev/null.
pid_t Spawn(const std::string& runner, const std::vector<std::string>& args) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null = ::open("/dev/null", O_WRONLY);
  ::dup2(null, 1);
  ::dup2(null, 2);
  std::vector<char*> argv{const_cast<char*>(runner.c_str())};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execv(runner.c_str(), argv.data());
  ::_exit(127);
}

bool Finished(pid_t pid, std::string& error) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  error = "kdx846-run ended with status " + std::to_string(WEXITSTATUS(status));
  return false;
}

std::vector<std::string> PortArgs(const Sims& sims, std::size_t first, std::size_t count) {
  std::vector<std::string> args;
  for (std::size_t i = first; i < first + count; ++i) {
    args.push_back("--port");
    args.push_back(sims[i]->linkPath());
  }
  return args;
}

long ResidentKbOf(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string word;
  while (status >> word) {
    if (word == "VmRSS:") {
      long kb = -1;
      status >> kb;
      return kb;
    }
  }
  return -1;
}

}  // namespace

bool MeasureStation(const std::string& runner, const std::string& viewer, int units, int lines,
                    int rounds, int burnInSeconds, StationFigures& out, std::string& error) {
  out.units = units;
  out.lines = lines;
  out.burnInSeconds = burnInSeconds;
  char folder[] = "/tmp/kdx846-bench-XXXXXX";
  if (!::mkdtemp(folder)) {
    error = "cannot make a temporary folder";
    return false;
  }
  const std::string script = std::string(folder) + "/status.txt";
  const std::string results = std::string(folder) + "/runs.db";
  std::ofstream(script) << "C10";
  // Every run the same but for its ports: the records as JSON lines, no
  // identity reads (one unit alone would otherwise run as a plain run).
  const std::vector<std::string> common{script,     "--repeat", std::to_string(lines),
                                        "--format", "jsonl",    "--no-identify"};
  const auto with = [&](std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const auto timed = [&](const std::vector<std::vector<std::string>>& runs, double& ms) {
    const long long start = NowNs();
    std::vector<pid_t> pids;
    for (const auto& args : runs) pids.push_back(Spawn(runner, args));
    bool ok = true;
    for (pid_t pid : pids) ok = Finished(pid, error) && ok;
    ms = static_cast<double>(NowNs() - start) / 1e6;
    return ok;
  };
  const auto alternate = [&](const std::vector<std::vector<std::string>>& first,
                             const std::vector<std::vector<std::string>>& second,
                             std::vector<double>& firstMs, std::vector<double>& secondMs) {
    for (int round = 0; round < rounds; ++round) {
      double a = 0, b = 0;
      const bool ok = round % 2 == 0 ? timed(first, a) && timed(second, b)
                                     : timed(second, b) && timed(first, a);
      if (!ok) return false;
      firstMs.push_back(a);
      secondMs.push_back(b);
    }
    return true;
  };

  Sims sims;
  const auto all = static_cast<std::size_t>(units);
  bool ok = StartSims(sims, units, 5, error) &&
            alternate({with(common, PortArgs(sims, 0, all))}, {with(common, PortArgs(sims, 0, 1))},
                      out.slowStationMs, out.slowOneUnitMs);
  if (ok) ok = StartSims(sims, units, 0, error);
  if (ok) {
    std::vector<std::vector<std::string>> processes;
    for (std::size_t i = 0; i < all; ++i) processes.push_back(with(common, PortArgs(sims, i, 1)));
    ok = alternate({with(common, PortArgs(sims, 0, all))}, processes, out.fastStationMs,
                   out.fastProcessesMs);
  }
  if (ok) {
    const auto station = with(common, PortArgs(sims, 0, all));
    double ms = 0;
    ok = timed({with(station, {"--results", results})}, ms);
    if (ok && ::access(results.c_str(), F_OK) != 0) {
      out.resultsNote = "not measured: this kdx846-run wrote no results database";
    } else if (ok) {
      std::remove(results.c_str());
      ok =
          alternate({with(station, {"--results", results})}, {station}, out.resultsMs, out.plainMs);
      std::remove(results.c_str());
    }
  }
  // The same run with --results while the results window follows the file
  // (offscreen), against the same run without the window. Both append to
  // one file, which the window has open from before the run: it reads each
  // new commit as it would beside a real burn-in.
  if (ok && !viewer.empty() && out.resultsNote.empty()) {
    const auto run = with(with(common, PortArgs(sims, 0, all)), {"--results", results});
    double ms = 0;
    ok = timed({run}, ms);
    for (int round = 0; ok && round < 2 * rounds; ++round) {
      // Pairs of runs, alternating which of the two goes first.
      const bool watched = (round % 2 == 0) == (round / 2 % 2 == 0);
      pid_t window = -1;
      if (watched) {
        window = Spawn(viewer, {results});
        // Started, its first read done and idle, before the run begins.
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
      }
      ok = timed({run}, ms);
      if (window > 0) {
        ::kill(window, SIGTERM);
        ::waitpid(window, nullptr, 0);
      }
      (watched ? out.watchedMs : out.unwatchedMs).push_back(ms);
    }
    std::remove(results.c_str());
    std::remove((results + "-wal").c_str());
    std::remove((results + "-shm").c_str());
  }
  // A burn-in for the time given, sampled once a second, with units that
  // answer after 5 ms as real ones take their time (the simulators log
  // every frame, and at once they would fill the disk in ten minutes).
  for (std::size_t i = 0; ok && i < all; ++i) {
    if (sims[i]->control("latency 5") != "ok") {
      error = "the simulator did not take latency 5";
      ok = false;
    }
  }
  if (ok) {
    const pid_t pid =
        Spawn(runner,
              with({script, "--duration", std::to_string(burnInSeconds) + "s", "--format", "jsonl"},
                   PortArgs(sims, 0, all)));
    for (int s = 0; s < burnInSeconds; ++s) {
      std::this_thread::sleep_for(std::chrono::seconds(1));
      const long kb = ResidentKbOf(pid);
      if (kb > 0) out.residentKb.push_back(kb);
    }
    ok = Finished(pid, error);
  }
  std::remove(script.c_str());
  ::rmdir(folder);
  return ok;
}

}  // namespace kdx::bench
