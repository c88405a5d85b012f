#include "ui/device/config_form.h"

#include <QGridLayout>
#include <string>

#include "ui/widgets/named.h"

namespace kdx::ui {

ConfigForm::ConfigForm(const ConfigurationTexts& values, QWidget* parent) : QDialog(parent) {
  SetControlName(*this, "ConfigForm");
  setWindowTitle("Card machine configuration information");
  setModal(true);

  auto* layout = new QGridLayout(this);
  for (std::size_t i = 0; i < kConfigurationLines.size(); ++i) {
    const auto& line = kConfigurationLines[i];
    auto* caption = new QLabel(FromDevice(line.caption), this);
    // Caption labels are numbered by their line, 1 to 8.
    SetControlName(*caption, "CaptionLabel" + std::to_string(i + 1));
    auto* value = new QLabel(FromDevice(values[i]), this);
    SetControlName(*value, line.valueLabel);
    value->setMinimumWidth(300);

    const int row = static_cast<int>(i);
    layout->addWidget(caption, row, 0);
    layout->addWidget(value, row, 1);
    captions_[i] = caption;
    values_[i] = value;
  }

  ok_ = new QPushButton("OK", this);
  SetControlName(*ok_, "Command1");
  ok_->setDefault(true);
  layout->addWidget(ok_, static_cast<int>(kConfigurationLines.size()), 0, 1, 2, Qt::AlignHCenter);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace kdx::ui
