#include "atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kdx::run {

namespace {

namespace fs = std::filesystem;

std::string FolderOf(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

// The file a symbolic link names, which is the one to replace; any other
// path as it is.
std::string Target(const std::string& path) {
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  const fs::path target = fs::weakly_canonical(path, error);
  return error ? path : target.string();
}

std::string SystemReason(int error) {
  return std::strerror(error);
}

#ifndef _WIN32

// Every byte, across short writes and interrupted calls.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The mode a new file gets (0666 less the umask), or the old file's.
mode_t ModeFor(const std::string& path) {
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

#endif

}  // namespace

std::optional<std::string> ReportPathProblem(const std::string& given) {
  const std::string path = Target(given);
  std::error_code error;
  const auto status = fs::status(path, error);
  if (!error && fs::is_directory(status)) return path + ": is a folder";
  if (!error && !fs::is_regular_file(status)) return path + ": is not a regular file";
  const std::string folder = FolderOf(path);
  const auto folderStatus = fs::status(folder, error);
  if (error) return "cannot write in " + folder + ": " + error.message();
  if (!fs::is_directory(folderStatus)) return "cannot write in " + folder + ": Not a directory";
#ifndef _WIN32
  // A new file, or the one beside it that a report is written through,
  // needs a folder that takes files.
  if (::access(folder.c_str(), W_OK) != 0)
    return "cannot write in " + folder + ": " + SystemReason(errno);
  if (fs::exists(status) && ::access(path.c_str(), W_OK) != 0)
    return path + ": " + SystemReason(errno);
#endif
  return std::nullopt;
}

#ifndef _WIN32

std::optional<std::string> WriteFileAtomically(const std::string& given, std::string_view bytes) {
  const std::string path = Target(given);
  const std::string folder = FolderOf(path);
  std::string temporary = folder + "/." + fs::path(path).filename().string() + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return "cannot create a file in " + folder + ": " + SystemReason(errno);
  bool ok = ::fchmod(fd, ModeFor(path)) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int why = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    why = errno;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    why = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return "cannot write " + path + ": " + SystemReason(why);
  }
  // The rename itself reaches the disk with the folder's entry.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

#else

std::optional<std::string> WriteFileAtomically(const std::string& given, std::string_view bytes) {
  const std::string path = Target(given);
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return "cannot create " + temporary + ": " + SystemReason(errno);
  bool ok =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
  int why = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    why = errno;
  }
  std::error_code error;
  if (ok) fs::rename(temporary, path, error);
  if (!ok || error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return "cannot write " + path + ": " + (ok ? error.message() : SystemReason(why));
  }
  return std::nullopt;
}

#endif

}  // namespace kdx::run
