#include "ui/contact/sle4428_tab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "contact/sle4428_operations.h"

namespace kdx::ui {

namespace {

// The default password of a fresh card is FF FF.
constexpr const char* kDefaultPscByte = "FF";

QLabel* PlainLabel(const char* text) {
  auto* label = new QLabel(text);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

Sle4428Tab::Sle4428Tab(const PageServices& services, ByteGrid& grid, QWidget* parent)
    : MemoryCardTab(services, grid),
      high_(hexField("SL4428Add1", "00")),
      low_(hexField("SL4428Add2", "00")),
      length_(hexField("SL4428Long", "80")),
      passwords_{hexField("SL4428Pass1", kDefaultPscByte),
                 hexField("SL4428Pass2", kDefaultPscByte)} {
  setParent(parent);
  auto* layout = new QVBoxLayout(this);
  auto* fields = new QHBoxLayout;
  fields->addWidget(PlainLabel("Address  Range :0x0000-0x03FF"));
  fields->addWidget(high_);
  fields->addWidget(low_);
  fields->addWidget(PlainLabel("Length(0x01--0x80)"));
  fields->addWidget(length_);
  fields->addWidget(PlainLabel("Password:"));
  for (QLineEdit* edit : passwords_) fields->addWidget(edit);
  fields->addStretch();
  layout->addLayout(fields);
  layout->addLayout(buttons(Sle4428Operations(), 5));
  layout->addStretch();
}

Sle4428Inputs Sle4428Tab::inputs() const {
  return {textOf(high_), textOf(low_), textOf(length_), textOf(passwords_[0]),
          textOf(passwords_[1])};
}

}  // namespace kdx::ui
