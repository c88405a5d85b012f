#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

namespace kdx::run {

// The schema this runner writes (PRAGMA user_version); a database of a newer
// one is refused. The file also carries the application id "KDX8".
inline constexpr int kResultsSchemaVersion = 1;
inline constexpr std::int32_t kResultsApplicationId = 0x4B445838;

// The schema as plain SQL, as the README documents it.
extern const char* const kResultsSchema;

// SQLite's message for the connection's last error and, when a system call
// failed, the system's reason: SQLite's own record of it, or else `error`,
// the errno the failed call left.
std::string SqliteReason(sqlite3* db, int error = 0);

// Opens the results database at `path` for a run, creating it if missing:
// write-ahead log, synchronous=NORMAL, the busy timeout, and one write
// transaction that checks the file (a SQLite file of this schema or an older
// one, not another program's, not locked beyond `busyTimeoutMs`, not
// read-only) and gives it the schema when it has none. The transaction
// writes the header page to the log even when nothing changes, so a disk
// that takes no more is found here. Nothing, with the reason in `error`,
// when a run cannot be written.
sqlite3* OpenResultsFile(const std::string& path, int busyTimeoutMs, std::string& error);

}  // namespace kdx::run
