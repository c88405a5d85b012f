#pragma once

#include <QWidget>

#include "ui/rf/rf_widgets.h"

namespace kdx::ui {

class ByteGrid;

// The "Ultralight" tab: the card's serial number, the page, the page grid in
// "UL Card Data " and the buttons of "UL Card Command".
class UltralightTab final : public QWidget {
  Q_OBJECT
 public:
  explicit UltralightTab(const RfButtonMaker& button, QWidget* parent = nullptr);

  QLabel* serial = nullptr;      // ULRFmessage
  QComboBox* page = nullptr;     // ULSecNumberCombo
  ByteGrid* pageGrid = nullptr;  // ULTextLIST
};

}  // namespace kdx::ui
