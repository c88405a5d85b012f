#pragma once

#include <QWidget>

#include "ui/rf/rf_widgets.h"

class QPlainTextEdit;
class QRadioButton;

namespace kdx::ui {

class ByteGrid;

// The "S50/S70" tab: the card's serial number, the sector, and the frames
// "Password operation commands", "Read / Write RF Card Data" and
// "PURSE COMMAND" with their fields and buttons.
class MifareClassicTab final : public QWidget {
  Q_OBJECT
 public:
  explicit MifareClassicTab(const RfButtonMaker& button, QWidget* parent = nullptr);

  QLabel* serial = nullptr;         // RFmessageLabel
  QComboBox* sector = nullptr;      // SecNumberCombo
  ByteGrid* keys = nullptr;         // SRFPASSWORDLIST
  QRadioButton* keyA = nullptr;     // RfKeyAB1
  QRadioButton* keyB = nullptr;     // RfKeyAB2
  QComboBox* block = nullptr;       // BlockNumberCombo
  QComboBox* blockCount = nullptr;  // BlockLongCombo
  ByteGrid* blockGrid = nullptr;    // SRFTextLIST
  // SRFTextLISTAccess: the access conditions of a trailer read into the grid.
  QPlainTextEdit* accessConditions = nullptr;
  QComboBox* purseBlock = nullptr;  // PurseBlockCombbox
  QLineEdit* purseValue = nullptr;  // PurseValueText
};

}  // namespace kdx::ui
