#pragma once

#include <QString>
#include <optional>
#include <string>

#include "link/messages.h"

class QWidget;

namespace kdx::ui {

// The standard file dialogs, behind an interface so that tests can answer them.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // "Save As..." for a text file: filter "Text Files" (*.TXT), default
  // extension TXT, overwrite prompt; starts in the folder named by "winDir",
  // else the home folder. Returns the chosen full path, or nothing on cancel.
  virtual std::optional<QString> saveTextFile(QWidget* owner) = 0;
  // "Open File" for a text file that exists: filter "Open Files" (*.TXT);
  // starts in the folder named by "WinDir" (or "winDir"), else the home
  // folder. Returns the chosen full path, or nothing on cancel.
  virtual std::optional<QString> openTextFile(QWidget*) { return std::nullopt; }
  // "Export CSV" for the traffic rows: filter "CSV Files" (*.csv), default
  // extension csv, overwrite prompt; starts in the home folder. Returns the
  // chosen full path, or nothing on cancel.
  virtual std::optional<QString> saveCsvFile(QWidget*) { return std::nullopt; }
  // "Save Session" for a session file: filter "Session Files" (*.jsonl),
  // default extension jsonl, overwrite prompt; starts in the home folder.
  virtual std::optional<QString> saveSessionFile(QWidget*) { return std::nullopt; }
};

class QtFileDialogs final : public FileDialogs {
 public:
  std::optional<QString> saveTextFile(QWidget* owner) override;
  std::optional<QString> openTextFile(QWidget* owner) override;
  std::optional<QString> saveCsvFile(QWidget* owner) override;
  std::optional<QString> saveSessionFile(QWidget* owner) override;
};

// Why `path` is not read or written: it exists but is not a regular file (a
// folder, a named pipe, a terminal or another device, a socket), which a read
// or a write could wait on until its other end acts. The text names the path
// and what it is. Nothing for a regular file or a path that does not exist.
std::optional<QString> NotRegularFile(const QString& path);

// Writes `bytes` to `path` through a temporary file and a rename, so a failed
// save never damages an existing file: the old file is replaced only once
// every byte is on the disk. A writable file in a folder that takes no new
// file is written in place instead; a path that is not a regular file is
// refused (NotRegularFile) rather than replaced. Returns 0 or the QFileDevice
// error number, with the system's reason in `error`.
// The file error box: "mnuFileSaveAsDialog_Click", "Error: <code> <description>".
void ShowFileError(Messages& messages, int code, const QString& description);

int WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);

// Asks `files` for a path to save to and confirms the name in a "Save As..."
// box: "File Name is <name>", CR LF, "Full path and file is <path>". A path
// whose folder does not exist gets the "mnuFileSaveAsDialog_Click" box
// instead, and nothing is returned; so does a cancelled dialog, silently.
std::optional<QString> ConfirmSavePath(FileDialogs& files, Messages& messages, QWidget* owner);

// The monitor's "Save To": asks `files` for a path, confirms the name in a
// "Save As..." box and writes `text` there; a failure is reported in a
// "mnuFileSaveAsDialog_Click" box as "Error: <code> <description>". A path
// whose folder does not exist gets that box at once, without the
// confirmation. Nothing happens when the dialog is cancelled. Returns true
// once the name is confirmed, whether the write then succeeded or not.
bool SaveTextAs(FileDialogs& files, Messages& messages, QWidget* owner, const std::string& text);

}  // namespace kdx::ui
