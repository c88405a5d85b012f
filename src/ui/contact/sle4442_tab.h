#pragma once

#include "ui/contact/memory_card_tab.h"

namespace kdx::ui {

// The "SLE4442" tab: address, length and the three PSC bytes, the range
// hint, and the buttons of the SLE4442 operation table.
class Sle4442Tab final : public MemoryCardTab<Sle4442Inputs> {
 public:
  Sle4442Tab(const PageServices& services, ByteGrid& grid, QWidget* parent = nullptr);

  Sle4442Inputs inputs() const override;

 private:
  QLineEdit* address_;
  QLineEdit* length_;
  QLineEdit* passwords_[3];
};

}  // namespace kdx::ui
