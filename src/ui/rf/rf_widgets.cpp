#include "ui/rf/rf_widgets.h"

#include "link/bytes.h"

namespace kdx::ui {

QComboBox* EditableCombo(const char* name) {
  auto* combo = Named(new QComboBox, name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  return combo;
}

QComboBox* HexList(const char* name, int first, int count, int selected) {
  auto* combo = Named(new QComboBox, name);
  for (int i = first; i < first + count; ++i) {
    combo->addItem(FromDevice(HexByte(static_cast<std::uint8_t>(i))));
  }
  combo->setCurrentIndex(selected);
  return combo;
}

QLabel* SerialLabel(const char* name) {
  auto* label = Named(new QLabel, name);
  label->setMinimumWidth(160);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace kdx::ui
