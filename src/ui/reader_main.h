#pragma once

#include <QMainWindow>
#include <functional>

#include "device/device_records.h"
#include "link/session.h"
#include "ui/page_services.h"

class QComboBox;

namespace kdx::ui {

class DevicePage;
class FileDialogs;

// The main window: the address, the link buttons and the device area's
// transport frames in the left column; the RF CARD, IC CARD, EXTEND FUNCTION
// and MONITOR pages as tabs on the right. It only composes them; each page
// owns its controls and runs its operations through `runOperation`.
class ReaderMain final : public QMainWindow {
  Q_OBJECT
 public:
  ReaderMain(Session& session, DeviceRecords& records, FileDialogs& files,
             QWidget* parent = nullptr);

  Session& session() { return session_; }

  // Runs one operation of a command button with the busy cursor showing,
  // drops the input that queued up while it held the window, then brings the
  // controls that depend on the link up to date.
  void runOperation(const std::function<void()>& operation);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* buildLeftColumn(DevicePage& device);
  void openPortSetup();
  void closePort();

  Session& session_;
  FileDialogs& files_;
  WindowButtons windows_;
  TabRouter tabs_;
  PageServices services_;
  QComboBox* address_ = nullptr;
};

}  // namespace kdx::ui
