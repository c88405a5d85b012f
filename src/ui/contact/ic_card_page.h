#pragma once

#include <QWidget>

#include "ui/page_services.h"

class QTabWidget;

namespace kdx::ui {

class ByteGrid;

// The "IC CARD" tab: the 128-cell card data grid `ICText` and the inner tabs
// `SSTab2` of the contact card families. "Sam Card" and "CPU Card" open their
// windows; the SLE4442, SLE4428 and 24CXX tabs read and write their cards
// through the grid; the tabs of the families this unit has no operations for carry
// their fields and buttons, which send and show nothing.
class IcCardPage final : public QWidget {
  Q_OBJECT
 public:
  IcCardPage(const PageServices& services, QWidget* parent = nullptr);

  ByteGrid* dataGrid() const { return grid_; }
  QTabWidget* familyTabs() const { return tabs_; }

 private:
  PageServices services_;
  ByteGrid* grid_ = nullptr;
  QTabWidget* tabs_ = nullptr;
};

}  // namespace kdx::ui
