#include "ui/widgets/modal.h"

#include <QApplication>
#include <QDialog>

namespace kdx::ui {

int ExecModal(QDialog& dialog) {
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int result = dialog.exec();
  if (busy) QApplication::restoreOverrideCursor();
  return result;
}

}  // namespace kdx::ui
