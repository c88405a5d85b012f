#include "ui/rf/apdu_card_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/widgets/key_filter_installer.h"

namespace kdx::ui {

ApduCardTab::ApduCardTab(const ApduCardTabNames& names, const Decoder& decode,
                         const RfButtonMaker& button, QWidget* parent)
    : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  int row = 0;
  if (names.serial) {
    serial = SerialLabel(names.serial);
    layout->addWidget(new QLabel("Card SN"), row, 0);
    layout->addWidget(serial, row++, 1, Qt::AlignLeft);
  }
  answer = Named(new QLineEdit, names.answer);
  answer->setReadOnly(true);
  layout->addWidget(new QLabel("ATR Information"), row, 0);
  layout->addWidget(answer, row++, 1);
  // Follows the answer box, which only the activation fills and clears.
  answerDetails = DecodedView(names.answerDetails, 8);
  ExplainBytes(answer, answerDetails, decode);
  layout->addWidget(answerDetails, row++, 1);

  auto* apdu = RfFrame("APDU Command");
  auto* apduLayout = new QHBoxLayout(apdu);
  command = EditableCombo(names.command);
  // GET CHALLENGE for 8 bytes, SELECT of the master file, SELECT by name.
  command->addItems({"0084000008", "00A40000023F00", "00A404000E315041592E5359532E4444463031"});
  command->setCurrentIndex(1);
  command->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  KeyFilterInstaller::install(command->lineEdit(), KeyFilter::HexWithBackspace);
  apduLayout->addWidget(command, 1);
  apduLayout->addWidget(button(names.send));
  layout->addWidget(apdu, row++, 0, 1, 2);

  auto* back = RfFrame("Return Information");
  response = Named(new QLineEdit, names.response);
  response->setReadOnly(true);
  statusLine = StatusLine(names.statusLine);
  ExplainStatusWord(response, statusLine);
  auto* backLayout = new QVBoxLayout(back);
  backLayout->addWidget(response);
  backLayout->addWidget(statusLine);
  layout->addWidget(back, row++, 0, 1, 2);
  layout->setRowStretch(row, 1);
  layout->setColumnStretch(1, 1);
}

}  // namespace kdx::ui
