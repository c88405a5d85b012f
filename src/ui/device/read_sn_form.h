#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <string_view>

namespace kdx::ui {

// "Read SN of Card Reader": the serial number in a text box.
class ReadSnForm final : public QDialog {
  Q_OBJECT
 public:
  explicit ReadSnForm(std::string_view serialNumber, QWidget* parent = nullptr);

  QLineEdit* serialBox() const { return text_; }
  QPushButton* okButton() const { return ok_; }

 private:
  QLineEdit* text_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace kdx::ui
