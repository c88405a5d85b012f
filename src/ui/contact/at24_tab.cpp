#include "ui/contact/at24_tab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "contact/at24_operations.h"

namespace kdx::ui {

At24Tab::At24Tab(const PageServices& services, ByteGrid& grid, QWidget* parent)
    : MemoryCardTab(services, grid),
      high_(hexField("IC24XXADD1", "00")),
      low_(hexField("IC24XXADD2", "00")),
      length_(hexField("IC24XXLONG", "80")) {
  setParent(parent);
  auto* layout = new QVBoxLayout(this);
  auto* fields = new QHBoxLayout;
  fields->addWidget(high_);
  fields->addWidget(low_);
  fields->addWidget(Named(new QLabel("Length: 0x01--0x80"), ArrayName("ICLabel110", 37)));
  fields->addWidget(length_);
  fields->addStretch();
  layout->addLayout(fields);
  layout->addLayout(buttons(At24Operations(), 5));
  layout->addStretch();
}

At24Inputs At24Tab::inputs() const {
  return {textOf(high_), textOf(low_), textOf(length_)};
}

}  // namespace kdx::ui
