#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string_view>

#include "ui/widgets/named.h"

namespace kdx::ui {

// Makes the button of an RF operation row by its control name.
using RfButtonMaker = std::function<QPushButton*(std::string_view control)>;

// A drop-down list of two-digit hex numbers from `first`, `count` of them,
// with `selected` chosen. It takes no typed text: the chosen item's position
// is the number the operations send.
QComboBox* HexList(const char* name, int first, int count, int selected);

// An editable combo whose typed text is never added to the list.
QComboBox* EditableCombo(const char* name);

// The label that shows a card's serial number, beside its "Card SN" caption.
QLabel* SerialLabel(const char* name);

// A frame with a caption, named.
inline QGroupBox* RfFrame(std::string_view caption, const char* name = nullptr) {
  auto* frame = new QGroupBox(FromDevice(caption));
  if (name) Named(frame, name);
  return frame;
}

}  // namespace kdx::ui
