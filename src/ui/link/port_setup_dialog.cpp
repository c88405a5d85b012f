#include "ui/link/port_setup_dialog.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "link/port_names.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/named.h"
#include "ui/widgets/queued_input.h"

namespace kdx::ui {

namespace {

// A label that acts on a click, like the fold switch of the scan.
class ClickableLabel final : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && onClick) onClick();
    QLabel::mouseReleaseEvent(event);
  }
};

constexpr const char* kFoldedCaption = "'AUTO SCAN'   Unfold -->>";
constexpr const char* kUnfoldedCaption = "'AUTO SCAN' Fold <<--";

int TwipsToPixels(int twips, const QWidget* widget) {
  return twips * widget->logicalDpiY() / 1440;
}

}  // namespace

PortSetupDialog::PortSetupDialog(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  Named(this, "comportset");
  setWindowTitle("Communication Setting");
  setModal(true);

  auto* label3 = Named(new QLabel("Comm Port Number"), "Label3");
  port_ = Named(new QComboBox, "PortCombo");
  port_->setEditable(true);
  // Typed names and rates are checked by "OK"; the lists keep only valid ones.
  port_->setInsertPolicy(QComboBox::NoInsert);
  for (int i = 1; i <= kListedPorts; ++i) port_->addItem(FromStd(PortText(i)));
  port_->setCurrentText("COM1");
  portPath_ = Named(new QLabel, "PortPath");
  portPath_->setToolTip("Device this port name opens on this machine");
  auto* label2 = Named(new QLabel("Baud Rate"), "Label2");
  baud_ = Named(new QComboBox, "BaudCombo");
  baud_->setEditable(true);
  baud_->setInsertPolicy(QComboBox::NoInsert);
  for (std::size_t i = 0; i < kListedRates; ++i) baud_->addItem(FromStd(BaudText(kScanRates[i])));
  baud_->setCurrentText("9600 bits/s");

  auto* ok = Named(new QPushButton("OK"), "Command1");
  auto* cancel = Named(new QPushButton("Cancel"), "Command2");
  ok->setDefault(true);

  auto* clickable = new ClickableLabel(kFoldedCaption);
  autoLabel_ = Named(clickable, "AutoLabel");
  autoLabel_->setCursor(Qt::PointingHandCursor);
  clickable->onClick = [this] { toggleFold(); };

  scanPart_ = Named(new QFrame, "ScanFrame");
  auto* scan = Named(new QPushButton("SCAN"), "Command3");
  scanStatus_ = Named(new QLabel, "Label1");
  scanStatus_->setWordWrap(true);
  auto* scanLayout = new QHBoxLayout(scanPart_);
  scanLayout->setContentsMargins(0, 0, 0, 0);
  scanLayout->addWidget(scan);
  scanLayout->addWidget(scanStatus_, 1);

  auto* grid = new QGridLayout;
  grid->addWidget(label3, 0, 0);
  grid->addWidget(port_, 0, 1);
  grid->addWidget(portPath_, 0, 2);
  grid->addWidget(label2, 1, 0);
  grid->addWidget(baud_, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->addWidget(autoLabel_);
  layout->addWidget(scanPart_);
  layout->addStretch();

  connect(port_, &QComboBox::currentTextChanged, this, [this] { showPortPath(); });
  // The unit check and the scan hold the window; what the operator clicked
  // or typed meanwhile is dropped, not replayed.
  connect(ok, &QPushButton::clicked, this, [this] {
    {
      BusyCursor busy;
      ConfirmPortSetup(session_, *this);
    }
    DropQueuedInput();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(scan, &QPushButton::clicked, this, [this] {
    {
      BusyCursor busy;
      ScanPorts(session_, *this);
    }
    DropQueuedInput();
  });

  showPortPath();
  applyFold();
}

void PortSetupDialog::toggleFold() {
  unfolded_ = !unfolded_;
  applyFold();
  // Centre on the screen after the size change.
  if (const QScreen* screen = this->screen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
}

void PortSetupDialog::applyFold() {
  autoLabel_->setText(unfolded_ ? kUnfoldedCaption : kFoldedCaption);
  scanPart_->setVisible(unfolded_);
  const int height = TwipsToPixels(unfolded_ ? kUnfoldedTwips : kFoldedTwips, this);
  setFixedHeight(std::max(height, minimumSizeHint().height()));
}

void PortSetupDialog::showPortPath() {
  const auto port = ParsePortText(port_->currentText().toStdString());
  portPath_->setText(port ? "-> " + FromStd(ResolvePortPath(*port)) : QString());
}

std::string PortSetupDialog::portText() {
  return port_->currentText().toStdString();
}
std::string PortSetupDialog::baudText() {
  return baud_->currentText().toStdString();
}
void PortSetupDialog::setPortText(const std::string& text) {
  port_->setCurrentText(FromStd(text));
}
void PortSetupDialog::setBaudText(const std::string& text) {
  baud_->setCurrentText(FromStd(text));
}
void PortSetupDialog::setScanStatus(const std::string& text) {
  scanStatus_->setText(FromStd(text));
  scanStatus_->repaint();
}
void PortSetupDialog::focusPort() {
  port_->setFocus();
}
void PortSetupDialog::focusBaud() {
  baud_->setFocus();
}
void PortSetupDialog::accept() {
  QDialog::accept();
}

}  // namespace kdx::ui
