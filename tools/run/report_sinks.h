#pragma once

#include <memory>
#include <string>
#include <vector>

#include "run_options.h"
#include "run_record.h"

namespace kdx::run {

// The reports a run writes for other tools to read.
struct ReportOptions {
  std::string junitPath;    // --junit FILE: JUnit XML; empty for none
  std::string resultsPath;  // --results FILE: the SQLite database; empty for none
  // How long the database may be locked by another program's writing
  // before a write gives up (at the start, the run is then refused).
  int busyTimeoutMs = 5000;
  // --record FILE and --expect FILE, with what they need to know.
  std::string recordPath{};
  std::string expectPath{};
  bool ignoreData = false;
  bool ignoreStatus = false;
  std::vector<std::string> ports{};
  int baud = 9600;
  std::string address = "0";
  std::string tool{};  // "kdx846-run 1.0", for the session file's header
  bool nameUnits = false;
};

ReportOptions ReportOptionsFrom(const RunOptions& options);

// The sinks for the reports asked for (none when none is), each checked:
// every file can be written (the JUnit file already says that the run has
// not ended, the database is open with its schema). On a refusal nothing is
// returned and `error`, empty otherwise, says why; the run must then end
// with kExitBadInput before anything is sent.
std::vector<std::unique_ptr<RecordSink>> MakeReportSinks(const ReportOptions& options,
                                                         std::string& error);

}  // namespace kdx::run
