#include "ui/contact/cpu_card_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "contact/cpu_card.h"
#include "iso/answer_to_reset.h"
#include "ui/widgets/decoded_view.h"
#include "ui/widgets/key_filter_installer.h"
#include "ui/widgets/modal.h"
#include "ui/widgets/named.h"

namespace kdx::ui {

namespace {

// What the two windows show differently besides their operation tables.
struct WindowFace {
  const char* name;
  const char* caption;
  const char* optionArray;
};

WindowFace FaceOf(CpuCardWindow window) {
  if (window == CpuCardWindow::Sam) return {"SimCard", "SAM Card", "SAMVCCOPTION"};
  return {"CPUCARD", "CPU Card", "CPUVCCOPTION"};
}

constexpr const char* kOptionCaptions[] = {"VCC=5V with the EMV2000 ver4.0",
                                           "VCC=5V with the ISO/IEC7816-3"};
constexpr int kSamListSize = 8;

QComboBox* EditableCombo(const char* name) {
  auto* combo = Named(new QComboBox, name);
  combo->setEditable(true);
  // Typed text is used as it stands and never added to the list.
  combo->setInsertPolicy(QComboBox::NoInsert);
  return combo;
}

QPlainTextEdit* ResultBox(const char* name) {
  auto* box = Named(new QPlainTextEdit, name);
  box->setReadOnly(true);
  // Hex text has no blanks to break at.
  box->setWordWrapMode(QTextOption::WrapAnywhere);
  box->setMaximumHeight(70);
  return box;
}

void Append(QPlainTextEdit& box, std::string_view text) {
  box.moveCursor(QTextCursor::End);
  box.insertPlainText(FromDevice(text));
}

}  // namespace

CpuCardDialog::CpuCardDialog(CpuCardWindow window, const PageServices& services, QWidget* parent)
    : QDialog(parent), window_(window), services_(services), context_{services.session, *this} {
  const WindowFace face = FaceOf(window);
  Named(this, face.name);
  setWindowTitle(face.caption);

  // The buttons of the operation table, by the parameter code they send.
  QHash<int, QPushButton*> buttons;
  for (const CpuCardOperation& row : CpuCardOperations(window)) {
    buttons.insert(row.parameter, OperationButton(row, context_, services_.run));
  }

  auto* layout = new QVBoxLayout(this);
  if (window == CpuCardWindow::Sam) {
    socket_ = EditableCombo("SimNo1");
    for (int n = 1; n <= kSamListSize; ++n) socket_->addItem(QString("SAM %1").arg(n));
    socket_->setCurrentIndex(0);
    auto* row = new QHBoxLayout;
    row->addWidget(socket_, 1);
    row->addWidget(buttons.value(kChooseSamParameter));
    layout->addLayout(row);
  }

  auto* resets = new QHBoxLayout;
  resets->addWidget(buttons.value(kCpuColdResetParameter));
  resets->addWidget(buttons.value(kCpuWarmResetParameter));
  layout->addLayout(resets);
  auto* frame = Named(new QGroupBox("Cold Reset Option"), "Frame1");
  auto* frameLayout = new QVBoxLayout(frame);
  for (int i = 0; i < 2; ++i) {
    options_[i] = Named(new QRadioButton(kOptionCaptions[i]), ArrayName(face.optionArray, i));
    frameLayout->addWidget(options_[i]);
  }
  options_[0]->setChecked(true);
  layout->addWidget(frame);

  reset_ = ResultBox("ResetTextBack");
  auto* resetLabel = new QLabel("ATR Information");
  resetLabel->setBuddy(reset_);
  layout->addWidget(resetLabel);
  layout->addWidget(reset_);
  // What the ATR says, refreshed from the box's own text whenever a reset
  // fills it (or a reset, "Choose SAM" or a refusal clears it).
  resetDetails_ = DecodedView("ResetTextBackDetails", 8);
  ExplainBytes(reset_, resetDetails_, DecodeAtr);
  layout->addWidget(resetDetails_);

  apdu_ = EditableCombo("CmdText");
  for (std::string_view apdu : ApduCommandList(window)) apdu_->addItem(FromDevice(apdu));
  apdu_->setCurrentText("00A40000023F00");
  KeyFilterInstaller::install(apdu_->lineEdit(), KeyFilter::HexWithBackspace);
  auto* apduLabel = new QLabel("APDU Command");
  apduLabel->setBuddy(apdu_);
  auto* apduRow = new QHBoxLayout;
  apduRow->addWidget(apdu_, 1);
  apduRow->addWidget(buttons.value(kCpuApduParameter));
  layout->addWidget(apduLabel);
  layout->addLayout(apduRow);

  response_ = ResultBox("BackText");
  auto* responseLabel = new QLabel("Return Information");
  responseLabel->setBuddy(response_);
  layout->addWidget(responseLabel);
  layout->addWidget(response_);
  statusLine_ = StatusLine("ReturnStatusLine");
  ExplainStatusWord(response_, statusLine_);
  layout->addWidget(statusLine_);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(buttons.value(kCpuStatusParameter));
  bottom->addWidget(buttons.value(kCpuDeactivateParameter));
  auto* cancel = Named(new QPushButton("Cancel"), "BackCmd");
  // Nothing is sent on closing: a powered card stays powered.
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  bottom->addWidget(cancel);
  layout->addLayout(bottom);
  resize(460, sizeHint().height());
}

CpuCardInputs CpuCardDialog::inputs() const {
  CpuCardInputs in;
  in.emvActivation = options_[0]->isChecked();
  in.apduText = ToDevice(apdu_->currentText());
  if (socket_) in.socketText = ToDevice(socket_->currentText());
  return in;
}

void CpuCardDialog::clearResetText() {
  reset_->clear();
}

void CpuCardDialog::appendResetText(std::string_view hex) {
  Append(*reset_, hex);
}

void CpuCardDialog::clearResponseText() {
  response_->clear();
}

void CpuCardDialog::appendResponseText(std::string_view hex) {
  Append(*response_, hex);
}

void OpenCpuCardWindow(CpuCardWindow window, const PageServices& services, QWidget* parent) {
  CpuCardDialog dialog(window, services, parent);
  ExecModal(dialog);
}

}  // namespace kdx::ui
