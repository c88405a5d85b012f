#pragma once

#include <QWidget>

#include "link/session.h"

namespace kdx::ui {

class FileDialogs;

// The MONITOR tab: the traffic monitor `SDTDText`, "Clear Data",
// "Record Data" and "Save To".
class MonitorPage final : public QWidget {
  Q_OBJECT
 public:
  MonitorPage(Session& session, FileDialogs& files, QWidget* parent = nullptr);

 private:
  void save();

  Session& session_;
  FileDialogs& files_;
};

}  // namespace kdx::ui
