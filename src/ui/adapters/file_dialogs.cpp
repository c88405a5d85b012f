#include "ui/adapters/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kdx::ui {

namespace {

QString KindOf(const QFileInfo& info) {
  if (info.isDir()) return "a folder";
#ifdef Q_OS_UNIX
  struct stat status {};
  if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &status) == 0) {
    if (S_ISFIFO(status.st_mode)) return "a named pipe";
    if (S_ISCHR(status.st_mode)) return "a character device (a terminal or a port)";
    if (S_ISBLK(status.st_mode)) return "a block device";
    if (S_ISSOCK(status.st_mode)) return "a socket";
  }
#endif
  return "not a file on a disk";
}

}  // namespace

std::optional<QString> NotRegularFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() || info.isFile()) return std::nullopt;
  return QDir::toNativeSeparators(path) + " is " + KindOf(info) +
         ", not a regular file: reading or writing it could hold the window until its other "
         "end acts";
}

std::optional<QString> QtFileDialogs::saveTextFile(QWidget* owner) {
  QString folder = qEnvironmentVariable("winDir");
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QFileDialog dialog(owner, "Save As...", folder, "Text Files (*.TXT *.txt)");
  dialog.setObjectName("SaveAsDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix("TXT");
  dialog.selectNameFilter("Text Files (*.TXT *.txt)");
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtFileDialogs::openTextFile(QWidget* owner) {
  QString folder = qEnvironmentVariable("WinDir");
  if (folder.isEmpty()) folder = qEnvironmentVariable("winDir");
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QFileDialog dialog(owner, "Open File", folder, "Open Files (*.TXT *.txt)");
  dialog.setObjectName("OpenFileDialog");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.selectFile("*.TXT");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

namespace {

// A save dialog of the traffic window's kind, starting in the home folder:
// the file name gets `suffix` when typed without one, and an existing file
// is overwritten only when the operator confirms.
std::optional<QString> SaveFileIn(QWidget* owner, const QString& title, const QString& name,
                                  const QString& filter, const QString& suffix) {
  QFileDialog dialog(owner, title, QDir::homePath(), filter);
  dialog.setObjectName(name);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(suffix);
  dialog.selectNameFilter(filter);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> QtFileDialogs::saveSessionFile(QWidget* owner) {
  return SaveFileIn(owner, "Save Session", "SaveSessionDialog", "Session Files (*.jsonl)", "jsonl");
}

std::optional<QString> QtFileDialogs::saveCsvFile(QWidget* owner) {
  return SaveFileIn(owner, "Export CSV", "ExportCsvDialog", "CSV Files (*.csv *.CSV)", "csv");
}

namespace {

// A failed write: the QFileDevice error number and the system's reason.
struct Failure {
  int code = 0;
  QString reason;
};

Failure FailureOf(const QFileDevice& file) {
  const int code = static_cast<int>(file.error());
  return {code != 0 ? code : static_cast<int>(QFileDevice::WriteError), file.errorString()};
}

// Writes every byte of `bytes` to `file`, which is open unbuffered so that
// each call reaches the system. A short write (the disk filled up midway)
// is not an error to Qt; the next call for the rest fails and carries the
// system's reason, such as "No space left on device".
std::optional<Failure> WriteAll(QFileDevice& file, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
    if (n <= 0) return FailureOf(file);
    done += n;
  }
  return std::nullopt;
}

// Makes sure what was written is on the disk: flush() reports a write that
// failed on its way out, and on POSIX systems fsync() a disk that fails or
// fills up only when the data is written back. A file that cannot be synced
// at all (EINVAL: not a file on a disk) has nothing more to check.
std::optional<Failure> Flush(QFileDevice& file) {
  if (!file.flush()) return FailureOf(file);
#ifdef Q_OS_UNIX
  if (::fsync(file.handle()) != 0 && errno != EINVAL) {
    const int error = errno;
    return Failure{
        static_cast<int>(error == ENOSPC ? QFileDevice::ResourceError : QFileDevice::WriteError),
        qt_error_string(error)};
  }
#endif
  return std::nullopt;
}

// A writable file in a folder that takes no new files: the temporary file
// of an atomic save cannot be made beside it. QSaveFile's own fallback
// (setDirectWriteFallback) is taken only when the folder refuses with EACCES,
// while an immutable folder or some file systems refuse with EPERM; this
// check covers both by what the folder and the file allow.
bool OnlyWritableInPlace(const QString& path) {
  const QFileInfo file(path);
  return file.isFile() && file.isWritable() && !QFileInfo(file.absolutePath()).isWritable();
}

// Writes the file itself. There is no old copy to fall back on, so a write
// that fails midway leaves the file damaged; it is used only where the
// atomic save cannot be made at all.
std::optional<Failure> WriteInPlace(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
    return FailureOf(file);
  }
  if (auto failure = WriteAll(file, bytes)) return failure;
  if (auto failure = Flush(file)) return failure;
  file.close();
  if (file.error() != QFileDevice::NoError) return FailureOf(file);
  return std::nullopt;
}

std::optional<Failure> SaveBytes(const QString& path, const QByteArray& bytes) {
  if (auto reason = NotRegularFile(path))
    return Failure{static_cast<int>(QFileDevice::OpenError), *reason};
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    if (file.error() == QFileDevice::OpenError && OnlyWritableInPlace(path)) {
      return WriteInPlace(path, bytes);
    }
    return FailureOf(file);
  }
  // commit() renames whatever the temporary file holds over the old file,
  // even after a failed write (Qt 6.4 reports success when the write that
  // failed was still buffered), so everything is checked on the disk first
  // and a failure cancels, which keeps the old file.
  auto failure = WriteAll(file, bytes);
  if (!failure) failure = Flush(file);
  if (failure) {
    file.cancelWriting();  // replaces the error, which is already taken
    file.commit();         // removes the temporary file
    return failure;
  }
  if (!file.commit()) return FailureOf(file);
  return std::nullopt;
}

}  // namespace

int WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  const auto failure = SaveBytes(path, bytes);
  if (!failure) return 0;
  if (error) *error = failure->reason;
  return failure->code;
}

namespace {

// Why `folder` cannot take a file, or nothing when it is a folder that exists.
std::optional<QString> MissingFolderReason(const QString& folder) {
  std::error_code error;
  const auto status =
      std::filesystem::status(std::filesystem::path(folder.toStdU16String()), error);
  if (!error && status.type() != std::filesystem::file_type::directory) {
    error = std::make_error_code(std::errc::not_a_directory);
  }
  if (!error) return std::nullopt;
  return QString::fromLocal8Bit(error.message());
}

}  // namespace

void ShowFileError(Messages& messages, int code, const QString& description) {
  messages.show("mnuFileSaveAsDialog_Click",
                ("Error: " + QString::number(code) + " " + description).toStdString(), Icon::None);
}

std::optional<QString> ConfirmSavePath(FileDialogs& files, Messages& messages, QWidget* owner) {
  const auto path = files.saveTextFile(owner);
  if (!path) return std::nullopt;
  const QFileInfo info(*path);
  // The dialog lets a path into a folder that is not there through; it is
  // refused before the name is confirmed rather than after.
  const QString folder = info.absolutePath();
  if (const auto reason = MissingFolderReason(folder)) {
    ShowFileError(
        messages, static_cast<int>(QFileDevice::OpenError),
        "Cannot save into the folder " + QDir::toNativeSeparators(folder) + ": " + *reason);
    return std::nullopt;
  }
  messages.show(
      "Save As...",
      ("File Name is " + info.fileName() + "\r\nFull path and file is " + *path).toStdString(),
      Icon::None);
  return path;
}

bool SaveTextAs(FileDialogs& files, Messages& messages, QWidget* owner, const std::string& text) {
  const auto path = ConfirmSavePath(files, messages, owner);
  if (!path) return false;
  QString error;
  const int code = WriteFileAtomically(
      *path, QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
  if (code != 0) ShowFileError(messages, code, error);
  return true;
}

}  // namespace kdx::ui
