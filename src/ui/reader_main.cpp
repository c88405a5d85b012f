#include "ui/reader_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "device/card_movement.h"
#include "link/operation.h"
#include "link/port_setup.h"
#include "ui/busy_cursor.h"
#include "ui/monitor_view.h"
#include "ui/port_setup_dialog.h"
#include "ui/widget_names.h"

namespace kdx::ui {

ReaderMain::ReaderMain(Session& session, FileDialogs& files, QWidget* parent)
    : QMainWindow(parent), session_(session), files_(files) {
  Named(this, "ReaderMain");
  setWindowTitle("TEST846_V10_EN (2010/12/07)");

  auto* central = new QWidget;
  auto* layout = new QHBoxLayout(central);
  layout->addWidget(buildLeftColumn());
  auto* tabs = Named(new QTabWidget, "SSTab1");
  tabs->addTab(buildRfTab(), "RF CARD");
  tabs->addTab(buildIcTab(), "IC CARD");
  tabs->addTab(buildExtendTab(), "EXTEND FUNCTION");
  tabs->addTab(buildMonitorTab(), "MONITOR");
  layout->addWidget(tabs, 1);
  setCentralWidget(central);

  fillCombos();
  wireDeviceOperations();
  refreshLinkControls();
}

QWidget* ReaderMain::buildLeftColumn() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* addressRow = new QHBoxLayout;
  addressRow->addWidget(Named(new QLabel("Device Addr:"), "Label2"));
  address_ = Named(new QComboBox, "cmbAddress846");
  address_->setEditable(true);
  addressRow->addWidget(address_, 1);
  layout->addLayout(addressRow);
  connect(address_, &QComboBox::currentTextChanged, this,
          [this](const QString& text) { session_.state.addressText = text.toStdString(); });

  auto group = [&](const QString& caption, const QString& name) {
    auto* box = Named(new QGroupBox(caption), name);
    layout->addWidget(box);
    return box;
  };
  auto button = [](const QString& caption, const QString& name) {
    return Named(new QPushButton(caption), name);
  };

  auto* comm = group("COMM. PORT SETTING", "FrameComm");
  auto* commLayout = new QHBoxLayout(comm);
  auto* open = button("Setup Comm", "IROpencom");
  auto* close = button("Close Comm", "IRCLOSECOM");
  commLayout->addWidget(open);
  commLayout->addWidget(close);
  connect(open, &QPushButton::clicked, this, &ReaderMain::openPortSetup);
  connect(close, &QPushButton::clicked, this, &ReaderMain::closePort);

  auto* reset = group("RESET / STATUS", "Frame1");
  auto* resetLayout = new QGridLayout(reset);
  resetLayout->addWidget(button("INITIALIZE", "ReaderResetBtn"), 0, 0, 1, 2, Qt::AlignHCenter);
  resetLayout->addWidget(button("Card Status", "CardStatusBtn"), 1, 0);
  resetLayout->addWidget(button("Sensor Status", "SensorStatusBtn"), 1, 1);

  auto* type = group("AUTOTEST CARD TYPE", ArrayName("FRAMEOTHER", 0));
  auto* typeLayout = new QHBoxLayout(type);
  typeLayout->addWidget(button("RF Card Type", "RFTestTypeCmd"));
  typeLayout->addWidget(button("IC Card Type", "ICTestTypeCmd"));

  auto* entry = group("Enter Control\n", "Frame3");
  auto* entryLayout = new QHBoxLayout(entry);
  entryLayout->addWidget(button("Allowed", "AllCardInBtn"));
  entryLayout->addWidget(button("Prohibition", "NoCardInBtn"));

  auto* move = group("Card Move to", "Frame2");
  auto* moveLayout = new QVBoxLayout(move);
  moveLayout->addWidget(button("the front", "MoveCardToFront1Btn"));
  moveLayout->addWidget(button("the front,hold the card", "MoveCardToFront2Btn"));
  moveLayout->addWidget(button("the RF card operation position", "MoveCardToRFBtn"));
  moveLayout->addWidget(button("the IC card operation position", "MoveCardToICCBtn"));
  moveLayout->addWidget(button("Error Card Bin", "MoveCardToRecycleBinBtn"));

  auto* console = group("Command Line", ArrayName("FRAMEOTHER", 7));
  auto* consoleLayout = new QHBoxLayout(console);
  consoleLayout->addWidget(windowButton("Command Line", "OpenCmdFormBtn"));

  auto* exit = button("Exit", "EXITGRM");
  layout->addWidget(exit);
  layout->addStretch();
  connect(exit, &QPushButton::clicked, this, &QWidget::close);

  // Card type detection comes with the card tabs' operations; until then the
  // buttons stay visibly unavailable.
  for (auto* b : type->findChildren<QPushButton*>()) b->setEnabled(false);
  column->setFixedWidth(column->sizeHint().width());
  return column;
}

QWidget* ReaderMain::buildMonitorTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* monitorView = Named(new MonitorView(session_.monitor), "SDTDText");
  layout->addWidget(monitorView, 1);
  auto* row = new QHBoxLayout;
  auto* clear = Named(new QPushButton("Clear Data"), "ClearSDTDText");
  auto* record = Named(new QCheckBox("Record Data"), "CheckRecord");
  record->setChecked(session_.monitor.record());
  auto* save = Named(new QPushButton("Save To"), "SaveSDTDText");
  row->addWidget(clear);
  row->addWidget(record);
  row->addStretch();
  row->addWidget(save);
  layout->addLayout(row);
  connect(clear, &QPushButton::clicked, this, [this] { session_.monitor.clear(); });
  connect(record, &QCheckBox::toggled, this, [this](bool on) { session_.monitor.setRecord(on); });
  connect(save, &QPushButton::clicked, this, &ReaderMain::saveMonitor);
  return page;
}

void ReaderMain::runOperation(const std::function<void()>& operation) {
  {
    BusyCursor busy;
    operation();
  }
  refreshLinkControls();
}

void ReaderMain::onClick(const QString& name, const std::function<void()>& operation) {
  auto* button = findChild<QPushButton*>(name);
  Q_ASSERT(button);
  connect(button, &QPushButton::clicked, this, [this, operation] { runOperation(operation); });
}

void ReaderMain::wireDeviceOperations() {
  onClick("ReaderResetBtn", [this] { RunInitialize(session_, deviceViews_); });
  onClick("CardStatusBtn", [this] { RunCardStatus(session_); });
  onClick("SensorStatusBtn", [this] { RunSensorStatus(session_, deviceViews_); });
  for (const MoveCommand& row : kMoveCommands) {
    onClick(FromDevice(row.button), [this, &row] { RunMoveCommand(session_, row); });
  }
  onClick("TypeReadsn", [this] { RunReadSerialNumber(session_, deviceViews_); });
  onClick("IRCONFIGCMD", [this] { RunReadConfiguration(session_, deviceViews_); });
  onClick("IRTenKaReadCMD", [this] { RunReadCounter(session_, *counter_); });
  onClick("IRTenKaFormatCMD", [this] { RunInitializeCounter(session_, *counter_); });
}

QPushButton* ReaderMain::windowButton(const QString& caption, const QString& name) {
  auto* button = Named(new QPushButton(caption), name);
  windowButtons_.append(button);
  connect(button, &QPushButton::clicked, this, [this] { CheckLink(session_); });
  return button;
}

void ReaderMain::refreshLinkControls() {
  for (auto* button : windowButtons_) button->setEnabled(!session_.state.linkOpen);
}

void ReaderMain::openPortSetup() {
  PortSetupDialog dialog(session_, this);
  dialog.exec();
  refreshLinkControls();
}

void ReaderMain::closePort() {
  CloseLink(session_);
  refreshLinkControls();
}

void ReaderMain::saveMonitor() {
  SaveTextAs(files_, session_.messages, this, session_.monitor.trimmedText());
}

void ReaderMain::closeEvent(QCloseEvent* event) {
  // "Exit" and the close box: close the port, ignoring any error.
  session_.line.close();
  session_.state.linkOpen = false;
  event->accept();
}

}  // namespace kdx::ui
