#include "ui/console/console_files.h"

#include <QFile>

#include "ui/adapters/file_dialogs.h"

namespace kdx::ui {

int ReadTextFile(const QString& path, qint64 limit, QByteArray& out, QString* error) {
  QFile file(path);
  auto fail = [&](QFileDevice::FileError code, const QString& reason) {
    if (error) *error = reason;
    return static_cast<int>(code);
  };
  if (!file.open(QIODevice::ReadOnly)) return fail(file.error(), file.errorString());
  // Read one byte past the limit: a file that grows while it is read, or
  // reports no size (a pipe), is held to the limit all the same.
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
