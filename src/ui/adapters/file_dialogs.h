#pragma once

#include <QString>
#include <optional>

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
};

class QtFileDialogs final : public FileDialogs {
 public:
  std::optional<QString> saveTextFile(QWidget* owner) override;
};

// Writes `bytes` to `path` through a temporary file and a rename, so a failed
// save never damages an existing file. Returns 0 or the error number, with
// its description in `error`.
int WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace kdx::ui
