#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "link/session.h"
#include "ui/file_dialogs.h"
#include "ui/qt_device_views.h"

class QComboBox;
class QGroupBox;
class QPushButton;
class QVBoxLayout;

namespace kdx::ui {


// The main window: the link and transport buttons on the left, the card,
// extended-function and monitor tabs on the right. It owns nothing of the
// device logic; every button hands its work to a presenter over the session.
class ReaderMain final : public QMainWindow {
  Q_OBJECT
 public:
  ReaderMain(Session& session, FileDialogs& files, QWidget* parent = nullptr);

  Session& session() { return session_; }

  // Runs one operation of a command button with the busy cursor showing, then
  // brings the controls that depend on the link up to date.
  void runOperation(const std::function<void()>& operation);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* buildLeftColumn();
  QWidget* buildRfTab();
  QWidget* buildIcTab();
  QWidget* buildExtendTab();
  QWidget* buildMonitorTab();
  void fillCombos();

  void openPortSetup();
  void closePort();
  void saveMonitor();
  // Buttons that open a window of their own: the caution box while the link
  // is closed, and disabled while it is open until that window exists.
  QPushButton* windowButton(const QString& caption, const QString& name);
  void refreshLinkControls();
  // Connects the button `name` to an operation run by runOperation.
  void onClick(const QString& name, const std::function<void()>& operation);
  void wireDeviceOperations();

  Session& session_;
  FileDialogs& files_;
  QComboBox* address_ = nullptr;
  QList<QPushButton*> windowButtons_;
  QtDeviceViews deviceViews_{this};
  std::unique_ptr<QtCounterField> counter_;
};

}  // namespace kdx::ui
