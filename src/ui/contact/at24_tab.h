#pragma once

#include "ui/contact/memory_card_tab.h"

namespace kdx::ui {

// The "24CXX" tab: the address as high and low byte, the length with its
// range hint, and the buttons of the 24Cxx operation table.
class At24Tab final : public MemoryCardTab<At24Inputs> {
 public:
  At24Tab(const PageServices& services, ByteGrid& grid, QWidget* parent = nullptr);

  At24Inputs inputs() const override;

 private:
  QLineEdit* high_;
  QLineEdit* low_;
  QLineEdit* length_;
};

}  // namespace kdx::ui
