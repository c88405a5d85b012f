#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "run_options.h"
#include "run_record.h"

namespace kdx::run {

// The rank of exit statuses when units end differently, worst first: 4
// (standard output failed: the records are incomplete), 128 and a signal's
// number (a stop signal cut a unit short), 2, 1, 0. The worst of `statuses`;
// 0 for none.
int WorstStatus(const std::vector<int>& statuses);

// Runs the script on every unit of `options` at once, a worker thread per
// unit, and merges their records on this thread into the sinks: the
// records on `out` (standard output), the live status lines and the summary
// on a station run's `err` (standard error), and `reports`. `info` is the
// run as known before the start; `stopSignal` gives the stop signal caught
// so far (0 for none), which cancels every unit. Messages go to `err`.
// Returns the run's exit status.
int RunUnits(const RunOptions& options, RunInfo& info,
             std::vector<std::unique_ptr<RecordSink>>& reports,
             const std::function<int()>& stopSignal, std::FILE* out = stdout,
             std::FILE* err = stderr);

}  // namespace kdx::run
