#include "ui/console/console_files.h"

#include <QDir>
#include <QFile>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "ui/adapters/file_dialogs.h"

namespace kdx::ui {

int ReadTextFile(const QString& path, qint64 limit, QByteArray& out, QString* error) {
  QFile file;
  auto fail = [&](QFileDevice::FileError code, const QString& reason) {
    if (error) *error = reason;
    return static_cast<int>(code);
  };
  // A named pipe, a terminal or a device would block the read (or the open)
  // until its other end writes: only regular files are read.
  if (const auto reason = NotRegularFile(path)) return fail(QFileDevice::OpenError, *reason);
#ifdef Q_OS_UNIX
  // Opened without waiting, and checked again on what was opened, so that a
  // pipe put in the file's place after the check cannot block either.
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fail(QFileDevice::OpenError, qt_error_string(errno));
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return fail(
        QFileDevice::OpenError,
        NotRegularFile(path).value_or(QDir::toNativeSeparators(path) + " is not a regular file"));
  }
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return fail(file.error(), file.errorString());
  }
#else
  file.setFileName(path);
  if (!file.open(QIODevice::ReadOnly)) return fail(file.error(), file.errorString());
#endif
  // Read one byte past the limit: a file that grows while it is read is
  // held to the limit all the same.
  const QByteArray bytes = file.read(limit + 1);
  if (file.error() != QFileDevice::NoError) return fail(file.error(), file.errorString());
  if (bytes.size() > limit) {
    return fail(QFileDevice::ReadError,
                QString("The file is larger than %1 bytes").arg(QString::number(limit)));
  }
  out = bytes;
  return 0;
}

QByteArray TrafficFileBytes(const QStringList& entries) {
  QByteArray bytes;
  for (const QString& entry : entries) {
    bytes += entry.toLatin1();
    bytes += "\r\n";
  }
  return bytes;
}

std::optional<QString> LoadScriptFile(FileDialogs& files, Messages& messages, QWidget* owner) {
  const auto path = files.openTextFile(owner);
  if (!path) return std::nullopt;
  QByteArray bytes;
  QString error;
  if (const int code = ReadTextFile(*path, kMaxScriptFileBytes, bytes, &error); code != 0) {
    ShowFileError(messages, code, error);
    return std::nullopt;
  }
  return QString::fromLatin1(bytes);
}

}  // namespace kdx::ui
