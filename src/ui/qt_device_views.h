#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPointer>

#include "device/counter.h"
#include "device/identity.h"
#include "device/initialize.h"
#include "device/status.h"

namespace kdx::ui {

// The device-management dialogs over Qt: each call creates its dialog, runs
// it modally over the owner window and destroys it.
class QtDeviceViews : public InitializeView,
                      public SensorView,
                      public SerialNumberView,
                      public ConfigurationView {
 public:
  explicit QtDeviceViews(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }

  std::uint8_t chooseInitializeOption() override;
  void showSensors(const SensorStates& states) override;
  void showSerialNumber(std::string_view serialNumber) override;
  void showConfiguration(const ConfigurationTexts& values) override;

 protected:
  // Runs one dialog modally, with the normal cursor even while an operation
  // shows the busy one. Tests override it to inspect and answer the dialog
  // instead of waiting for an operator.
  virtual int execDialog(QDialog& dialog);

 private:
  QPointer<QWidget> owner_;
};

// The capture card counter field (`IRTenKaEdit`) as the counter operations see it.
class QtCounterField final : public CounterField {
 public:
  explicit QtCounterField(QLineEdit& edit) : edit_(edit) {}
  std::string text() const override;
  void setText(std::string_view text) override;

 private:
  QLineEdit& edit_;
};

}  // namespace kdx::ui
