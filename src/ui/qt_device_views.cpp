#include "ui/qt_device_views.h"

#include <QApplication>

#include "ui/config_form.h"
#include "ui/widget_names.h"
#include "ui/read_sn_form.h"
#include "ui/reset_option_form.h"
#include "ui/sensor_state_form.h"

namespace kdx::ui {

int QtDeviceViews::execDialog(QDialog& dialog) {
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int result = dialog.exec();
  if (busy) QApplication::restoreOverrideCursor();
  return result;
}

std::uint8_t QtDeviceViews::chooseInitializeOption() {
  ResetOptionForm form(owner_);
  execDialog(form);
  return form.selectedCode();
}

void QtDeviceViews::showSensors(const SensorStates& states) {
  SensorStateForm form(states, owner_);
  execDialog(form);
}

void QtDeviceViews::showSerialNumber(std::string_view serialNumber) {
  ReadSnForm form(serialNumber, owner_);
  execDialog(form);
}

void QtDeviceViews::showConfiguration(const ConfigurationTexts& values) {
  ConfigForm form(values, owner_);
  execDialog(form);
}

std::string QtCounterField::text() const {
  return edit_.text().toLatin1().toStdString();
}

void QtCounterField::setText(std::string_view text) {
  edit_.setText(FromDevice(text));
}

}  // namespace kdx::ui
