#include "report_sinks.h"

#include <filesystem>
#include <system_error>

#include "junit_report.h"
#include "results_database.h"
#include "session_sinks.h"

namespace kdx::run {

ReportOptions ReportOptionsFrom(const RunOptions& options) {
  ReportOptions reports;
  reports.junitPath = options.junitPath;
  reports.resultsPath = options.resultsPath;
  reports.recordPath = options.recordPath;
  reports.expectPath = options.expectPath;
  reports.ignoreData = options.expectIgnoreData;
  reports.ignoreStatus = options.expectIgnoreStatus;
  reports.ports = options.ports;
  reports.baud = options.baud;
  reports.address = options.address;
  reports.nameUnits = IsStationRun(options);
  return reports;
}

std::vector<std::unique_ptr<RecordSink>> MakeReportSinks(const ReportOptions& options,
                                                         std::string& error) {
  error.clear();
  std::vector<std::unique_ptr<RecordSink>> sinks;
  if (!options.junitPath.empty() && !options.resultsPath.empty()) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    const fs::path junit = fs::weakly_canonical(options.junitPath, ignored);
    if (junit == fs::weakly_canonical(options.resultsPath, ignored)) {
      error = "--junit and --results name the same file: " + options.junitPath;
      return {};
    }
  }
  // The recording to compare with is read first: refusing it changes no file.
  std::unique_ptr<RecordSink> expect;
  if (!options.expectPath.empty()) {
    SessionFileError why;
    auto recording = ReadSessionFile(options.expectPath, why);
    if (!recording) {
      error = "--expect " + options.expectPath + ": " + why.text();
      return {};
    }
    bool script = false;
    for (const SessionExchange& x : recording->exchanges) script = script || x.line > 0;
    if (!script) {
      error = "--expect " + options.expectPath +
              ": no exchange of a script in it (a recording of kdx846-run --record)";
      return {};
    }
    expect = std::make_unique<ExpectSink>(std::move(*recording),
                                          CompareRules{options.ignoreData, options.ignoreStatus},
                                          stderr, options.nameUnits);
  }
  // The database first: the JUnit file is written as soon as it is checked,
  // and a refused run should not replace an older one.
  if (!options.resultsPath.empty()) {
    auto database = ResultsDatabase::Open(options.resultsPath, options.busyTimeoutMs, error);
    if (!database) return {};
    sinks.push_back(std::move(database));
  }
  if (!options.junitPath.empty()) {
    auto junit = std::make_unique<JUnitReport>(options.junitPath);
    if (auto problem = junit->start()) {
      error = *problem;
      return {};
    }
    sinks.push_back(std::move(junit));
  }
  if (!options.recordPath.empty()) {
    SessionRecorder::Settings settings{options.recordPath, options.ports, options.baud,
                                       options.address, options.tool};
    auto recorder = SessionRecorder::Open(settings, error);
    if (!recorder) return {};
    sinks.push_back(std::move(recorder));
  }
  if (expect) sinks.push_back(std::move(expect));
  return sinks;
}

}  // namespace kdx::run
