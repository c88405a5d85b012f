#include "ui/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

namespace kdx::ui {

std::optional<QString> QtFileDialogs::saveTextFile(QWidget* owner) {
  QString folder = qEnvironmentVariable("winDir");
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QFileDialog dialog(owner, "Save As...", folder, "Text Files (*.TXT)");
  dialog.setObjectName("SaveAsDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix("TXT");
  dialog.selectNameFilter("Text Files (*.TXT)");
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

int WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
    return 0;
  }
  if (error) *error = file.errorString();
  const int code = static_cast<int>(file.error());
  return code != 0 ? code : static_cast<int>(QFileDevice::WriteError);
}

void SaveTextAs(FileDialogs& files, Messages& messages, QWidget* owner, const std::string& text) {
  const auto path = files.saveTextFile(owner);
  if (!path) return;
  const QString name = QFileInfo(*path).fileName();
  messages.show("Save As...",
                ("File Name is " + name + "\r\nFull path and file is " + *path).toStdString(),
                Icon::None);
  QString error;
  const int code = WriteFileAtomically(
      *path, QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
  if (code != 0) {
    messages.show("mnuFileSaveAsDialog_Click",
                  ("Error: " + QString::number(code) + " " + error).toStdString(), Icon::None);
  }
}

}  // namespace kdx::ui
