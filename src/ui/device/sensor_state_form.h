#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <array>

#include "device/status.h"

namespace kdx::ui {

// "Auto test the status of the sensor": one line per sensor, its caption and
// its state: "On" in red, "Off" in the normal colour, empty when unknown.
class SensorStateForm final : public QDialog {
  Q_OBJECT
 public:
  explicit SensorStateForm(const SensorStates& states, QWidget* parent = nullptr);

  QLabel* stateLabel(std::size_t index) const { return states_.at(index); }
  QPushButton* okButton() const { return ok_; }

 private:
  std::array<QLabel*, 12> states_{};
  QPushButton* ok_ = nullptr;
};

}  // namespace kdx::ui
