#include "report_sinks.h"

#include <filesystem>
#include <system_error>

#include "junit_report.h"
#include "results_database.h"

namespace kdx::run {

ReportOptions ReportOptionsFrom(const RunOptions& options) {
  ReportOptions reports;
  reports.junitPath = options.junitPath;
  reports.resultsPath = options.resultsPath;
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
  return sinks;
}

}  // namespace kdx::run
