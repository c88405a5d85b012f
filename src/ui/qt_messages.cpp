#include "ui/qt_messages.h"

#include <QApplication>
#include <QMessageBox>

namespace kdx::ui {

namespace {

QMessageBox::Icon ToQt(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Exclamation:
      return QMessageBox::Warning;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int Run(QWidget* owner, std::string_view title, std::string_view text, Icon icon,
        QMessageBox::StandardButtons buttons) {
  QMessageBox box(ToQt(icon), FromUtf8(title), FromUtf8(text), buttons, owner);
  box.setObjectName("MessageBox");
  // An exchange may have set the busy cursor; the operator must be able to
  // answer the box.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  return answer;
}

}  // namespace

void QtMessages::show(std::string_view title, std::string_view text, Icon icon) {
  Run(owner_, title, text, icon, QMessageBox::Ok);
}

bool QtMessages::askOkCancel(std::string_view title, std::string_view text, Icon icon) {
  return Run(owner_, title, text, icon, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace kdx::ui
