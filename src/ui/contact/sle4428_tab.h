#pragma once

#include "ui/contact/memory_card_tab.h"

namespace kdx::ui {

// The "SLE4428" tab: the address as high and low byte, the length, the two
// password bytes, and the buttons of the SLE4428 operation table.
class Sle4428Tab final : public MemoryCardTab<Sle4428Inputs> {
 public:
  Sle4428Tab(const PageServices& services, ByteGrid& grid, QWidget* parent = nullptr);

  Sle4428Inputs inputs() const override;

 private:
  QLineEdit* high_;
  QLineEdit* low_;
  QLineEdit* length_;
  QLineEdit* passwords_[2];
};

}  // namespace kdx::ui
