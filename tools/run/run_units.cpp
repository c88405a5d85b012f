#include "run_units.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <optional>

#ifndef _WIN32
#include <pthread.h>
#include <unistd.h>
#endif

#include "console/command_line.h"
#include "record_output.h"
#include "run_progress.h"
#include "run_summary.h"
#include "runner_line.h"
#include "unit_worker.h"

namespace kdx::run {

namespace {

// How often the merging thread looks at the stop signal and the status
// lines when no record comes.
constexpr std::chrono::milliseconds kTick{20};

int Rank(int status) {
  if (status == kExitOutput) return 5;
  if (status > 128) return 4;
  return status == kExitLink ? 3 : status == kExitNegative ? 2 : 1;
}

// Starts every worker with the stop signals blocked, so that they reach the
// merging thread, which passes them on as cancels.
void StartWorkers(std::vector<std::unique_ptr<UnitWorker>>& workers) {
#ifndef _WIN32
  sigset_t stops, before;
  sigemptyset(&stops);
  for (int stop : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, stop);
  pthread_sigmask(SIG_BLOCK, &stops, &before);
#endif
  for (auto& worker : workers) worker->start();
#ifndef _WIN32
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
#endif
}

// Status lines on standard error when it is a terminal, unless the records
// go to a terminal too: scrolling by between two drawings, they would tear
// the status lines apart.
bool StatusLinesWanted(std::FILE* out, std::FILE* err) {
#ifndef _WIN32
  return ::isatty(::fileno(err)) == 1 && ::isatty(::fileno(out)) == 0;
#else
  (void)out;
  (void)err;
  return false;
#endif
}

}  // namespace

int WorstStatus(const std::vector<int>& statuses) {
  int worst = kExitPositive;
  for (int status : statuses) {
    if (Rank(status) > Rank(worst)) worst = status;
  }
  return worst;
}

int RunUnits(const RunOptions& options, RunInfo& info,
             std::vector<std::unique_ptr<RecordSink>>& reports,
             const std::function<int()>& stopSignal, std::FILE* out, std::FILE* err) {
  const bool station = IsStationRun(options);
  SteadyClock clock;
  std::int32_t passes = ParseRepeatCount(options.repeat).value_or(1);
  if (options.durationMs && !options.repeatGiven) passes = INT32_MAX;

  StreamSink output(out, options.format, station);
  std::unique_ptr<ProgressSink> progress;
  std::unique_ptr<SummarySink> summary;
  std::vector<RecordSink*> sinks{&output};
  if (station && StatusLinesWanted(out, err)) {
    progress = std::make_unique<ProgressSink>(err, clock, passes, options.durationMs);
    sinks.push_back(progress.get());
  }
  if (station) {
    summary = std::make_unique<SummarySink>(err, clock);
    sinks.push_back(summary.get());
  }
  for (auto& report : reports) sinks.push_back(report.get());
  // Messages go above the status lines while they are shown.
  ProgressSink* shown = progress.get();
  const auto say = [&](const std::string& line) {
    if (shown) return shown->print(line + "\n");
    std::fputs((line + "\n").c_str(), err);
    std::fflush(err);
  };

  UnitRules rules;
  rules.script = info.scriptText;
  rules.address = options.address;
  rules.format = options.format;
  rules.passes = passes;
  rules.identify = station && options.identify;
  rules.keepGoing = station;
  rules.stopOnFailure = options.stopOnFailure;
  if (options.durationMs) rules.deadlineMs = clock.nowMs() + *options.durationMs;
  Wakeup wakeup;
  std::vector<std::unique_ptr<UnitWorker>> workers;
  info.units.clear();
  for (const std::string& port : options.ports) {
    rules.unit = static_cast<int>(workers.size()) + 1;
    const UnitIdentity identity{rules.unit, port, RunnerPortPath(port), {}, {}};
    info.units.push_back(identity);
    workers.push_back(std::make_unique<UnitWorker>(identity, options.baud, rules, wakeup));
  }
  const auto label = [&](int unit) {
    return station ? info.units.at(static_cast<std::size_t>(unit - 1)).port + ": " : "";
  };
  const auto cancelAll = [&](int status) {
    for (auto& worker : workers) worker->cancel(status);
  };

  for (auto& report : reports) report->printWith(say);
  for (RecordSink* sink : sinks) sink->runStarted(info);
  std::vector<int> statuses(workers.size(), kExitPositive);
  std::vector<std::string> cuts;  // where cancels cut units short
  std::size_t running = workers.size();
  int signalled = 0;
  bool reportFailed = false;
  std::vector<UnitEvent> events;
  // Every event of worker `unit` - 1 is about that unit.
  const auto handle = [&](int unit, UnitEvent& event) {
    if (auto* message = std::get_if<UnitMessage>(&event)) {
      say("kdx846-run: " + label(unit) + message->text);
    } else if (auto* started = std::get_if<UnitStarted>(&event)) {
      info.units.at(static_cast<std::size_t>(unit - 1)) = started->identity;
      for (RecordSink* sink : sinks) sink->unitStarted(started->identity);
    } else if (auto* row = std::get_if<ExchangeRow>(&event)) {
      for (RecordSink* sink : sinks) sink->exchange(*row);
    } else if (auto* pass = std::get_if<UnitPassEnded>(&event)) {
      for (RecordSink* sink : sinks) sink->passEnded(unit, pass->pass);
    } else if (auto* ended = std::get_if<UnitEnded>(&event)) {
      const UnitEnd& end = ended->end;
      for (RecordSink* sink : sinks) sink->unitEnded(end);
      statuses.at(static_cast<std::size_t>(unit - 1)) = end.status;
      const UnitResult& r = ended->result;
      if (r.cut) {
        cuts.push_back("kdx846-run: " + label(unit) + StopCause(end.status) +
                       ": EOT went out instead of pass " + std::to_string(r.cutPass) + ", line " +
                       std::to_string(r.cutLine) + ", after " + std::to_string(r.exchanges) +
                       (r.exchanges == 1 ? " exchange" : " exchanges"));
      }
      --running;
    }
  };
  // Everything the workers queued goes to the sinks; a stop signal, a
  // failed output or a failed report cancels every unit.
  const auto pump = [&] {
    if (const int signal = stopSignal(); signal != 0 && signalled == 0) {
      signalled = signal;
      cancelAll(128 + signal);
    }
    for (std::size_t i = 0; i < workers.size(); ++i) {
      events.clear();
      workers[i]->take(events);
      for (UnitEvent& event : events) handle(static_cast<int>(i) + 1, event);
    }
    output.flush();
    if (output.failure()) cancelAll(kExitOutput);
    for (auto& report : reports) report->flush();
    for (auto& report : reports) {
      if (reportFailed || !report->failure()) continue;
      reportFailed = true;
      say("kdx846-run: " + *report->failure());
      cancelAll(kExitLink);
    }
    if (progress) progress->refresh();
  };
  if (workers.size() == 1) {
    // One unit: its records are merged between its own exchanges, and a
    // stop signal is seen before its next command, as it always was.
    workers.front()->runHere(pump);
  } else {
    StartWorkers(workers);
    while (running > 0) {
      wakeup.wait(kTick);
      pump();
    }
    for (auto& worker : workers) worker->join();
  }

  if (output.failure()) say("kdx846-run: cannot write standard output: " + *output.failure());
  for (const std::string& cut : cuts) say(cut);
  int status = WorstStatus(statuses);
  for (auto& report : reports) {
    if (report->differs()) status = WorstStatus({status, kExitNegative});
  }
  if (reportFailed) status = WorstStatus({status, kExitLink});
  if (output.failure()) status = kExitOutput;
  const LocalTime ended = SystemLocalTime().now();
  for (RecordSink* sink : sinks) sink->runEnded(ended, status);
  shown = nullptr;
  for (auto& report : reports) report->printWith(nullptr);
  // A report that could not be finished (its last write) fails the run too.
  for (auto& report : reports) {
    if (reportFailed || !report->failure()) continue;
    reportFailed = true;
    say("kdx846-run: " + *report->failure());
    if (status != kExitOutput) status = WorstStatus({status, kExitLink});
  }
  return status;
}

}  // namespace kdx::run
