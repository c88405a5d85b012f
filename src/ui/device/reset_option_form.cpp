#include "ui/device/reset_option_form.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "device/initialize.h"
#include "ui/widgets/named.h"

namespace kdx::ui {

ResetOptionForm::ResetOptionForm(QWidget* parent) : QDialog(parent) {
  SetControlName(*this, "ResetOptionForm");
  setWindowTitle("INITIALIZE Option");
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  auto* group = new QButtonGroup(this);
  group->setExclusive(true);
  for (std::size_t i = 0; i < kInitializeOptions.size(); ++i) {
    const auto& choice = kInitializeOptions[i];
    auto* button = new QRadioButton(FromDevice(choice.caption), this);
    SetControlName(*button, choice.control);
    group->addButton(button);
    layout->addWidget(button);
    options_[i] = button;
  }
  options_[0]->setChecked(true);

  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton("OK", this);
  SetControlName(*ok_, "Command1");
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel", this);
  SetControlName(*cancel_, "Command2");
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  layout->addLayout(buttons);

  connect(ok_, &QPushButton::clicked, this, &ResetOptionForm::acceptChoice);
  connect(cancel_, &QPushButton::clicked, this, &ResetOptionForm::cancelChoice);
}

void ResetOptionForm::acceptChoice() {
  // The options are examined in order; the checked one decides.
  for (std::size_t i = 0; i < options_.size(); ++i) {
    if (options_[i]->isChecked()) code_ = kInitializeOptions[i].code;
  }
  accept();
}

void ResetOptionForm::cancelChoice() {
  code_ = 0;
  reject();
}

}  // namespace kdx::ui
