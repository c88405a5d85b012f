#include "ui/device/read_sn_form.h"

#include <QVBoxLayout>

#include "ui/widgets/named.h"

namespace kdx::ui {

ReadSnForm::ReadSnForm(std::string_view serialNumber, QWidget* parent) : QDialog(parent) {
  SetControlName(*this, "ReadSn");
  setWindowTitle("Read SN of Card Reader");
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  text_ = new QLineEdit(FromDevice(serialNumber), this);
  SetControlName(*text_, "Text1");
  text_->setMinimumWidth(240);
  layout->addWidget(text_);

  ok_ = new QPushButton("OK", this);
  SetControlName(*ok_, "Command1");
  ok_->setDefault(true);
  layout->addWidget(ok_, 0, Qt::AlignHCenter);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace kdx::ui
