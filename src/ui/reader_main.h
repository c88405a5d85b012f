#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>

#include "device/command_glossary.h"
#include "device/device_records.h"
#include "link/local_time.h"
#include "link/session.h"
#include "link/traffic.h"
#include "ui/page_services.h"

class QAction;
class QComboBox;

namespace kdx::ui {

class DevicePage;
class FileDialogs;
class TrafficWindow;

// The main window: the address, the link buttons and the device area's
// transport frames in the left column; the RF CARD, IC CARD, EXTEND FUNCTION
// and MONITOR pages as tabs on the right. It only composes them; each page
// owns its controls and runs its operations through `runOperation`.
class ReaderMain final : public QMainWindow {
  Q_OBJECT
 public:
  ReaderMain(Session& session, DeviceRecords& records, FileDialogs& files,
             QWidget* parent = nullptr);
  ~ReaderMain() override;

  Session& session() { return session_; }

  // Ctrl+T, and the monitor's context menu: the decoded traffic window.
  QAction* trafficAction() const { return trafficAction_; }
  void showTraffic();
  // The traffic window, made (not shown) when it is first needed.
  TrafficWindow* trafficWindow();
  QAction* saveSessionAction() const { return saveSessionAction_; }

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
  DeviceRecords& records_;
  FileDialogs& files_;
  WindowButtons windows_;
  TabRouter tabs_;
  PageServices services_;
  QComboBox* address_ = nullptr;
  // Every exchange as a row, for the traffic window; heard from the session
  // while this window lives.
  SystemLocalTime wallTime_;
  DeviceGlossary glossary_;
  TrafficRecorder traffic_;
  QAction* trafficAction_ = nullptr;
  QAction* saveSessionAction_ = nullptr;
  QPointer<TrafficWindow> trafficWindow_;
};

}  // namespace kdx::ui
