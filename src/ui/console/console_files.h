#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "link/messages.h"

class QWidget;

namespace kdx::ui {

class FileDialogs;

// The largest script file "Load" takes.
inline constexpr qint64 kMaxScriptFileBytes = 1 << 20;

// Reads a whole regular file of at most `limit` bytes into `out`. Returns 0
// or the QFileDevice error number, with the reason in `error`; a larger file
// is a read error and `out` stays as it was. Anything else (a named pipe, a
// terminal, a device, a folder) is refused as an open error without waiting
// for it, since reading it could block until its other end writes.
int ReadTextFile(const QString& path, qint64 limit, QByteArray& out, QString* error);

// The traffic file: every entry followed by CR LF, one byte per character.
QByteArray TrafficFileBytes(const QStringList& entries);

// "Load": asks for a file and returns its text, one character per byte,
// or nothing when the dialog was cancelled or the file could not be read
// (reported in the "mnuFileSaveAsDialog_Click" box).
std::optional<QString> LoadScriptFile(FileDialogs& files, Messages& messages, QWidget* owner);

}  // namespace kdx::ui
