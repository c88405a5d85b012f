#include "ui/adapters/qt_messages.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/widgets/modal.h"
#include "ui/widgets/texts.h"

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

// A box stands over the modal window the operator is working in (a card
// window, the console), else over the owner.
int Run(QWidget* owner, std::string_view title, std::string_view text, Icon icon,
        QMessageBox::StandardButtons buttons) {
  QWidget* modal = QApplication::activeModalWidget();
  QMessageBox box(ToQt(icon), FromStd(title), FromStd(text), buttons, modal ? modal : owner);
  box.setObjectName("MessageBox");
  return ExecModal(box);
}

}  // namespace

void QtMessages::show(std::string_view title, std::string_view text, Icon icon) {
  Run(owner_, title, text, icon, QMessageBox::Ok);
}

bool QtMessages::askOkCancel(std::string_view title, std::string_view text, Icon icon) {
  return Run(owner_, title, text, icon, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace kdx::ui
