#include "ui/contact/sle4442_tab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "contact/sle4442_operations.h"

namespace kdx::ui {

namespace {

// The default PSC of a fresh card is FF FF FF.
constexpr const char* kDefaultPscByte = "FF";

}  // namespace

Sle4442Tab::Sle4442Tab(const PageServices& services, ByteGrid& grid, QWidget* parent)
    : MemoryCardTab(services, grid),
      address_(hexField("SL4442Add1", "00")),
      length_(hexField("SL4442Long", "80")),
      passwords_{hexField("SL4442Pass1", kDefaultPscByte), hexField("SL4442Pass2", kDefaultPscByte),
                 hexField("SL4442Pass3", kDefaultPscByte)} {
  setParent(parent);
  auto* layout = new QVBoxLayout(this);
  auto* fields = new QHBoxLayout;
  fields->addWidget(new QLabel("Address:"));
  fields->addWidget(address_);
  fields->addWidget(new QLabel("Length:"));
  fields->addWidget(length_);
  fields->addWidget(new QLabel("Password:"));
  for (QLineEdit* edit : passwords_) fields->addWidget(edit);
  fields->addStretch();
  layout->addLayout(fields);
  auto* ranges = new QLabel(
      "Main Memory Add. Range : 0x00-0xFF        Main Memory Longth Range :0x01--0x80    "
      "Protection Memory Add. Range :0x00-0x1F   Protection Memory Longth Range :0x01--0x20");
  ranges->setTextFormat(Qt::PlainText);
  ranges->setWordWrap(true);
  layout->addWidget(ranges);
  layout->addLayout(buttons(Sle4442Operations(), 5));
  layout->addStretch();
}

Sle4442Inputs Sle4442Tab::inputs() const {
  return {textOf(address_), textOf(length_), textOf(passwords_[0]), textOf(passwords_[1]),
          textOf(passwords_[2])};
}

}  // namespace kdx::ui
