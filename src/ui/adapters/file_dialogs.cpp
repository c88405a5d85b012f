#include "ui/adapters/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
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

}  // namespace kdx::ui
