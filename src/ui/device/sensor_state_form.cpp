#include "ui/device/sensor_state_form.h"

#include <QGridLayout>

#include "ui/widgets/named.h"

namespace kdx::ui {

SensorStateForm::SensorStateForm(const SensorStates& states, QWidget* parent) : QDialog(parent) {
  SetControlName(*this, "SensorStateForm");
  setWindowTitle("Auto test the status of the sensor");
  setModal(true);

  auto* layout = new QGridLayout(this);
  for (std::size_t i = 0; i < kSensorLines.size(); ++i) {
    const auto& line = kSensorLines[i];
    auto* caption = new QLabel(FromDevice(line.caption), this);
    SetControlName(*caption, line.captionLabel);
    auto* state = new QLabel(this);
    SetControlName(*state, line.stateLabel);
    state->setMinimumWidth(40);

    const SensorState value = SensorStateOf(states[i]);
    if (value == SensorState::On) {
      QPalette palette = state->palette();
      palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
      state->setPalette(palette);
    }
    state->setText(FromDevice(SensorStateText(value)));

    const int row = static_cast<int>(i);
    layout->addWidget(caption, row, 0);
    layout->addWidget(state, row, 1);
    states_[i] = state;
  }

  ok_ = new QPushButton("OK", this);
  SetControlName(*ok_, "Command1");
  ok_->setDefault(true);
  layout->addWidget(ok_, static_cast<int>(kSensorLines.size()), 0, 1, 2, Qt::AlignHCenter);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace kdx::ui
