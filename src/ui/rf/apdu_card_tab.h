#pragma once

#include <QWidget>

#include "ui/rf/rf_widgets.h"
#include "ui/widgets/decoded_view.h"

class QPlainTextEdit;

namespace kdx::ui {

// The names of one APDU tab's controls.
struct ApduCardTabNames {
  const char* serial;         // the Type A card's serial number; nullptr on Type B
  const char* answer;         // ATRTypeAText, ATRTypeBText
  const char* command;        // TypeACAPDUText, TypeBCAPDUText
  const char* send;           // SendTypeACmd, SendTypeBCmd
  const char* response;       // TypeARAPDUText, TypeBRAPDUText
  const char* answerDetails;  // the answer explained: ATRTypeATextDetails, ATRTypeBTextDetails
  const char* statusLine;     // the response's status word: TypeAReturnStatusLine, ...
};

// The "ISO/IEC 14443 TYPE A" and "ISO/IEC 14443 TYPE B" tabs: the card's
// identity, the command APDU with its three ready-made commands, "Send APDU"
// and the card's response. Beside the answer box a read-only view explains
// the answer (`decode`: the ATS on Type A, the ATQB on Type B), and under
// the response box a line explains its status word.
class ApduCardTab final : public QWidget {
  Q_OBJECT
 public:
  ApduCardTab(const ApduCardTabNames& names, const Decoder& decode, const RfButtonMaker& button,
              QWidget* parent = nullptr);

  QLabel* serial = nullptr;  // CPURFTypeAmessage, Type A only
  QLineEdit* answer = nullptr;
  QComboBox* command = nullptr;
  QLineEdit* response = nullptr;
  QPlainTextEdit* answerDetails = nullptr;
  QLabel* statusLine = nullptr;
};

}  // namespace kdx::ui
