#pragma once

#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <cstdint>

namespace kdx::ui {

// "INITIALIZE Option": six exclusive options, the first checked; "OK" takes
// the checked option's parameter code, "Cancel" or closing by the frame
// leaves 0 (send nothing).
class ResetOptionForm final : public QDialog {
  Q_OBJECT
 public:
  explicit ResetOptionForm(QWidget* parent = nullptr);

  // The code chosen: 0 until "OK" is pressed.
  std::uint8_t selectedCode() const { return code_; }

  QRadioButton* option(std::size_t index) const { return options_.at(index); }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  void acceptChoice();
  void cancelChoice();

  std::array<QRadioButton*, 6> options_{};
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::uint8_t code_ = 0;
};

}  // namespace kdx::ui
