#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <array>

#include "device/identity.h"

namespace kdx::ui {

// "Card machine configuration information": eight lines, each a caption and
// the value text computed from the configuration record.
class ConfigForm final : public QDialog {
  Q_OBJECT
 public:
  explicit ConfigForm(const ConfigurationTexts& values, QWidget* parent = nullptr);

  QLabel* captionLabel(std::size_t line) const { return captions_.at(line); }
  QLabel* valueLabel(std::size_t line) const { return values_.at(line); }
  QPushButton* okButton() const { return ok_; }

 private:
  std::array<QLabel*, 8> captions_{};
  std::array<QLabel*, 8> values_{};
  QPushButton* ok_ = nullptr;
};

}  // namespace kdx::ui
