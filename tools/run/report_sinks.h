#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run_options.h"
#include "run_record.h"

namespace kdx::run {

// The report files the options ask for: the JUnit XML file (--junit) and
// the results database (--results), each a sink of the run's records. They
// are made before anything is sent: nothing, with the reason in `error`,
// when one cannot be made, and the run then ends with status 3.
std::optional<std::vector<std::unique_ptr<RecordSink>>> MakeReportSinks(const RunOptions& options,
                                                                        std::string& error);

}  // namespace kdx::run
