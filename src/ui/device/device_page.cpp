#include "ui/device/device_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "device/device_operations.h"
#include "ui/device/config_form.h"
#include "ui/device/read_sn_form.h"
#include "ui/device/reset_option_form.h"
#include "ui/device/sensor_state_form.h"
#include "ui/widgets/key_filter_installer.h"
#include "ui/widgets/modal.h"

namespace kdx::ui {

namespace {

QGroupBox* Frame(const QString& caption, const QString& name) {
  return Named(new QGroupBox(caption), name);
}

}  // namespace

DevicePage::DevicePage(const PageServices& services, DeviceRecords& records, QWidget* owner)
    : QObject(owner),
      services_(services),
      context_{services.session, records, *this},
      owner_(owner) {
  QHash<QString, QGroupBox*> frames;
  buildLeftFrames(frames);
  buildExtendTab(frames);
  // Owned by `owner` until the caller lays them out.
  for (auto* frame : leftFrames_) frame->setParent(owner);
  extendTab_->setParent(owner);
  // Each row's button goes into its frame, in table order.
  for (const DeviceOperation& row : DeviceOperations()) {
    QGroupBox* frame = frames.value(FromDevice(row.frame));
    Q_ASSERT(frame);
    auto* button = OperationButton(row, context_, services_.run);
    if (auto* grid = qobject_cast<QGridLayout*>(frame->layout())) {
      // "RESET / STATUS": INITIALIZE centred on the upper row, the two
      // status buttons below it.
      const int placed = grid->count();
      if (placed == 0) {
        grid->addWidget(button, 0, 0, 1, 2, Qt::AlignHCenter);
      } else {
        grid->addWidget(button, 1, placed - 1);
      }
    } else {
      frame->layout()->addWidget(button);
    }
  }
}

void DevicePage::buildLeftFrames(QHash<QString, QGroupBox*>& frames) {
  auto* reset = Frame("RESET / STATUS", "Frame1");
  new QGridLayout(reset);
  auto* type = Frame("AUTOTEST CARD TYPE", ArrayName("FRAMEOTHER", 0));
  new QHBoxLayout(type);
  auto* entry = Frame("Enter Control\n", "Frame3");
  new QHBoxLayout(entry);
  auto* move = Frame("Card Move to", "Frame2");
  new QVBoxLayout(move);
  leftFrames_ = {reset, type, entry, move};
  for (auto* frame : leftFrames_) frames.insert(frame->objectName(), frame);
}

void DevicePage::buildExtendTab(QHash<QString, QGroupBox*>& frames) {
  extendTab_ = new QWidget;
  auto* layout = new QGridLayout(extendTab_);

  // Life counters: shown for reference; the unit offers no command for them.
  auto* life = Frame("Life Counter Read", ArrayName("FRAMEOTHER", 1));
  auto* lifeLayout = new QGridLayout(life);
  const char* lifeOptions[] = {"Number of Dispensing card from stack", "Number of IC contact press",
                               "Number of Moving card to RF card operation position"};
  for (int i = 0; i < 3; ++i) {
    auto* option = Named(new QRadioButton(lifeOptions[i]), ArrayName("ReadReaderLifeOption", i));
    lifeLayout->addWidget(option, i, 0, 1, 3);
  }
  auto* lifeEdit = Named(new QLineEdit("00000000"), "IRLifeEdit");
  lifeEdit->setMaxLength(8);
  lifeLayout->addWidget(new QLabel("Counter:"), 3, 0);
  lifeLayout->addWidget(lifeEdit, 3, 1);
  lifeLayout->addWidget(new QLabel("(DEC)"), 3, 2);

  auto* capture = Frame("Capture Card Counter", ArrayName("FRAMEOTHER", 6));
  auto* captureLayout = new QHBoxLayout(capture);
  counter_ = Named(new QLineEdit("000"), "IRTenKaEdit");
  counter_->setMaxLength(3);
  counter_->setMaximumWidth(60);
  KeyFilterInstaller::install(counter_, KeyFilter::DecimalWithBackspace);
  captureLayout->addWidget(counter_);

  auto* config = Frame("Unit configuration", ArrayName("FRAMEOTHER", 5));
  new QVBoxLayout(config);
  auto* sn = Frame("Unit SN OPERATION", ArrayName("FRAMEOTHER", 4));
  new QVBoxLayout(sn);

  layout->addWidget(sn, 0, 0);
  layout->addWidget(config, 0, 1);
  layout->addWidget(capture, 1, 0);
  layout->addWidget(life, 1, 1);
  layout->setRowStretch(2, 1);
  for (auto* frame : {sn, config, capture}) frames.insert(frame->objectName(), frame);
}

std::uint8_t DevicePage::chooseInitializeOption() {
  ResetOptionForm form(owner_);
  ExecModal(form);
  return form.selectedCode();
}

void DevicePage::showSensors(const SensorStates& states) {
  SensorStateForm form(states, owner_);
  ExecModal(form);
}

void DevicePage::showSerialNumber(std::string_view serialNumber) {
  ReadSnForm form(serialNumber, owner_);
  ExecModal(form);
}

void DevicePage::showConfiguration(const ConfigurationTexts& values) {
  ConfigForm form(values, owner_);
  ExecModal(form);
}

std::string DevicePage::counterText() const {
  return ToDevice(counter_->text());
}

void DevicePage::setCounterText(std::string_view text) {
  counter_->setText(FromDevice(text));
}

void DevicePage::bringTabsToFront(std::span<const TabStop> stops) {
  services_.tabs.bringToFront(stops);
}

}  // namespace kdx::ui
