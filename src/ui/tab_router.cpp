#include "ui/tab_router.h"

#include <QTabWidget>

#include "ui/widgets/texts.h"

namespace kdx::ui {

void TabRouter::add(std::string_view name, QTabWidget* tabs) {
  tabs_.insert(FromDevice(name), tabs);
}

void TabRouter::bringToFront(std::span<const TabStop> stops) const {
  for (const TabStop& stop : stops) {
    QTabWidget* tabs = tabs_.value(FromDevice(stop.tabs));
    if (tabs && stop.index >= 0 && stop.index < tabs->count()) tabs->setCurrentIndex(stop.index);
  }
}

}  // namespace kdx::ui
