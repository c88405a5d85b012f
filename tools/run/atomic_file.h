#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kdx::run {

// Why `path` cannot be written as a report: it is a folder or another
// thing that is not a regular file (a device, a pipe: a rename would
// replace it), an existing file that is not writable, or a folder that does
// not exist or takes no new file. Nothing when a write may be tried.
std::optional<std::string> ReportPathProblem(const std::string& path);

// Writes `bytes` to `path` through a temporary file in the same folder,
// synced to the disk and then renamed over `path`: a reader sees the old
// file or the new one, never half of one, and a failed write leaves the
// old file as it was. A symbolic link stays: the file it names is
// replaced. Returns the system's reason on failure.
std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace kdx::run
