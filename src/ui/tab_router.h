#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <span>

#include "device/tab_stop.h"

class QTabWidget;

namespace kdx::ui {

// The window's tab controls by name, so that an operation can bring a tab to
// the front without knowing which page owns it. The main window registers
// each tab control its pages build.
class TabRouter {
 public:
  void add(std::string_view name, QTabWidget* tabs);
  // Switches each listed tab control to its tab, in the order given; names
  // nobody registered and positions out of range are passed over.
  void bringToFront(std::span<const TabStop> stops) const;

 private:
  QHash<QString, QPointer<QTabWidget>> tabs_;
};

}  // namespace kdx::ui
