#pragma once

#include <QWidget>

#include "link/session.h"

namespace kdx::ui {

class FileDialogs;
class MonitorView;

// The MONITOR tab: the traffic monitor `SDTDText`, "Clear Data",
// "Record Data" and "Save To".
class MonitorPage final : public QWidget {
  Q_OBJECT
 public:
  MonitorPage(Session& session, FileDialogs& files, QWidget* parent = nullptr);

  // `SDTDText`
  MonitorView* monitorView() const { return view_; }

 private:
  void save();

  Session& session_;
  FileDialogs& files_;
  MonitorView* view_ = nullptr;
};

}  // namespace kdx::ui
