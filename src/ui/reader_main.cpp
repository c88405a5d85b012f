#include "ui/reader_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "link/bytes.h"
#include "link/port_setup.h"
#include "ui/console/cmd_exute_form.h"
#include "ui/contact/ic_card_page.h"
#include "ui/device/device_page.h"
#include "ui/link/port_setup_dialog.h"
#include "ui/monitor/monitor_page.h"
#include "ui/monitor/monitor_view.h"
#include "ui/rf/rf_card_page.h"
#include "ui/traffic/traffic_window.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/named.h"
#include "ui/widgets/queued_input.h"

namespace kdx::ui {

ReaderMain::ReaderMain(Session& session, DeviceRecords& records, FileDialogs& files,
                       QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      records_(records),
      files_(files),
      windows_(session),
      services_{session, [this](const std::function<void()>& op) { runOperation(op); }, windows_,
                tabs_},
      traffic_(session.clock, wallTime_, &glossary_) {
  Named(this, "ReaderMain");
  session_.traffic = &traffic_;
  setWindowTitle("TEST846_V10_EN (2010/12/07)");

  auto* device = new DevicePage(services_, records, this);
  auto* central = new QWidget;
  auto* layout = new QHBoxLayout(central);
  layout->addWidget(buildLeftColumn(*device));
  auto* tabs = Named(new QTabWidget, "SSTab1");
  auto* rf = new RfCardPage(services_);
  auto* ic = new IcCardPage(services_);
  tabs->addTab(rf, "RF CARD");
  tabs->addTab(ic, "IC CARD");
  tabs->addTab(device->extendTab(), "EXTEND FUNCTION");
  auto* monitor = new MonitorPage(session_, files);
  tabs->addTab(monitor, "MONITOR");
  layout->addWidget(tabs, 1);
  tabs_.add(kMainTabs, tabs);
  tabs_.add(kContactTabs, ic->familyTabs());
  tabs_.add(kRfTabs, rf->protocolTabs());
  tabs_.add(kMifareTabs, rf->mifareTabs());
  setCentralWidget(central);

  // The traffic window opens from a shortcut of the whole window and from
  // the monitor's context menu: neither adds or moves a control.
  trafficAction_ = new QAction("Decoded traffic...", this);
  trafficAction_->setObjectName("TrafficAction");
  trafficAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  trafficAction_->setShortcutContext(Qt::WindowShortcut);
  connect(trafficAction_, &QAction::triggered, this, &ReaderMain::showTraffic);
  addAction(trafficAction_);
  monitor->monitorView()->addAction(trafficAction_);
  saveSessionAction_ = new QAction("Save Session...", this);
  saveSessionAction_->setObjectName("SaveSessionAction");
  connect(saveSessionAction_, &QAction::triggered, this,
          [this] { trafficWindow()->saveSession(); });
  monitor->monitorView()->addAction(saveSessionAction_);
}

ReaderMain::~ReaderMain() {
  // The window reads the recorder, which goes before the children do.
  delete trafficWindow_;
  if (session_.traffic == &traffic_) session_.traffic = nullptr;
}

TrafficWindow* ReaderMain::trafficWindow() {
  if (!trafficWindow_) {
    trafficWindow_ = new TrafficWindow(traffic_, files_, session_.messages, this);
    trafficWindow_->sessionHeader = [this] {
      SessionHeader header;
      header.tool = ("kdx846 " + QCoreApplication::applicationVersion()).trimmed().toStdString();
      if (session_.state.port > 0) {
        header.port = "COM" + std::to_string(session_.state.port);
        header.baud = session_.state.baud;
      }
      header.address = session_.state.addressText;
      // What the unit said of itself, when it was asked.
      header.serial = Latin1ToUtf8(records_.serialNumber);
      for (std::uint8_t byte : records_.configuration) {
        if (byte == 0) break;
        header.configuration += static_cast<char>(byte);
      }
      header.configuration = Latin1ToUtf8(header.configuration);
      return header;
    };
  }
  return trafficWindow_;
}

void ReaderMain::showTraffic() {
  trafficWindow();
  trafficWindow_->show();
  trafficWindow_->raise();
  trafficWindow_->activateWindow();
}

QWidget* ReaderMain::buildLeftColumn(DevicePage& device) {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* addressRow = new QHBoxLayout;
  addressRow->addWidget(Named(new QLabel("Device Addr:"), "Label2"));
  address_ = Named(new QComboBox, "cmbAddress846");
  address_->setEditable(true);
  // Any text may be typed (every operation checks it), but the list keeps
  // the sixteen addresses: Enter does not add the typed text to it.
  address_->setInsertPolicy(QComboBox::NoInsert);
  connect(address_, &QComboBox::currentTextChanged, this,
          [this](const QString& text) { session_.state.addressText = ToDevice(text); });
  // "0" to "F": one hex digit, no leading zero; the first is selected.
  for (int address = 0; address < 16; ++address) {
    address_->addItem(QString::number(address, 16).toUpper());
  }
  address_->setCurrentIndex(0);
  addressRow->addWidget(address_, 1);
  layout->addLayout(addressRow);

  // The link's own buttons, then the device area's frames, then the windows.
  struct Action {
    const char* name;
    const char* caption;
    void (ReaderMain::*slot)();
  };
  const Action linkActions[] = {{"IROpencom", "Setup Comm", &ReaderMain::openPortSetup},
                                {"IRCLOSECOM", "Close Comm", &ReaderMain::closePort}};
  auto* comm = Named(new QGroupBox("COMM. PORT SETTING"), "FrameComm");
  auto* commLayout = new QHBoxLayout(comm);
  for (const Action& action : linkActions) {
    auto* button = Named(new QPushButton(action.caption), action.name);
    connect(button, &QPushButton::clicked, this, action.slot);
    commLayout->addWidget(button);
  }
  layout->addWidget(comm);
  for (QGroupBox* frame : device.leftColumnFrames()) layout->addWidget(frame);

  auto* console = Named(new QGroupBox("Command Line"), ArrayName("FRAMEOTHER", 7));
  (new QHBoxLayout(console))->addWidget(windows_.add("Command Line", "OpenCmdFormBtn", [this] {
    OpenConsole(session_, files_, this);
  }));
  layout->addWidget(console);

  auto* exit = Named(new QPushButton("Exit"), "EXITGRM");
  connect(exit, &QPushButton::clicked, this, &QWidget::close);
  layout->addWidget(exit);
  layout->addStretch();
  column->setFixedWidth(column->sizeHint().width());
  return column;
}

void ReaderMain::runOperation(const std::function<void()>& operation) {
  {
    BusyCursor busy;
    operation();
  }
  // Clicks and keys the operator gave the frozen window are not replayed.
  DropQueuedInput();
}

void ReaderMain::openPortSetup() {
  PortSetupDialog dialog(session_, this);
  // A session starts with the unit check that opened the link.
  if (dialog.exec() == QDialog::Accepted && session_.state.linkOpen) traffic_.markSessionStart();
}

void ReaderMain::closePort() {
  CloseLink(session_);
}

void ReaderMain::closeEvent(QCloseEvent* event) {
  // "Exit" and the close box: close the port, ignoring any error.
  session_.line.close();
  session_.state.linkOpen = false;
  if (trafficWindow_) trafficWindow_->close();
  event->accept();
}

}  // namespace kdx::ui
