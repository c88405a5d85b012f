#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include "device/device_context.h"
#include "device/device_records.h"
#include "ui/page_services.h"

class QGroupBox;
class QLineEdit;
class QWidget;

namespace kdx::ui {

// The device-management area: the transport frames of the left column
// ("RESET / STATUS", "AUTOTEST CARD TYPE", "Enter Control", "Card Move to")
// and the EXTEND FUNCTION tab. Its buttons come from the device operation
// table; it is the view those operations talk to, showing their dialogs
// modally over `owner`.
class DevicePage final : public QObject, public DeviceView {
  Q_OBJECT
 public:
  DevicePage(const PageServices& services, DeviceRecords& records, QWidget* owner);

  // The left column's frames, top to bottom; the caller lays them out.
  const QList<QGroupBox*>& leftColumnFrames() const { return leftFrames_; }
  // The EXTEND FUNCTION tab.
  QWidget* extendTab() const { return extendTab_; }

  std::uint8_t chooseInitializeOption() override;
  void showSensors(const SensorStates& states) override;
  void showSerialNumber(std::string_view serialNumber) override;
  void showConfiguration(const ConfigurationTexts& values) override;
  std::string counterText() const override;
  void setCounterText(std::string_view text) override;
  void bringTabsToFront(std::span<const TabStop> stops) override;

 private:
  void buildLeftFrames(QHash<QString, QGroupBox*>& frames);
  void buildExtendTab(QHash<QString, QGroupBox*>& frames);

  PageServices services_;
  DeviceContext context_;
  QPointer<QWidget> owner_;
  QList<QGroupBox*> leftFrames_;
  QWidget* extendTab_ = nullptr;
  QLineEdit* counter_ = nullptr;
};

}  // namespace kdx::ui
