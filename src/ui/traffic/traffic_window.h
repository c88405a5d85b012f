#pragma once

#include <QWidget>
#include <functional>

#include "link/messages.h"
#include "link/session_file.h"
#include "link/traffic.h"

class QTableView;

namespace kdx::ui {

class FileDialogs;
class TrafficModel;

// The decoded traffic window: one row per exchange on the line, newest at
// the bottom, kept in view unless the operator scrolled up; "Export CSV..."
// writes the rows to a file, "Save Session..." writes those since the link
// opened as a session file for kdx846-sim --replay, "Clear" empties them. A window of its own
// beside the main window; it changes nothing the monitor shows.
class TrafficWindow final : public QWidget {
  Q_OBJECT
 public:
  TrafficWindow(TrafficRecorder& recorder, FileDialogs& files, Messages& messages,
                QWidget* parent = nullptr);

  QTableView* table() const { return table_; }
  // "Save Session...": asks for a file and writes the rows recorded since
  // the link opened or the last "Clear" as a session file, through a
  // temporary file; a failure is said in a box and leaves any old file.
  void saveSession();
  // The header's port settings and the unit's identity, as far as known.
  std::function<SessionHeader()> sessionHeader;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void exportCsv();

  TrafficRecorder& recorder_;
  FileDialogs& files_;
  Messages& messages_;
  TrafficModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  bool followNewest_ = true;
  // While the oldest rows are dropped: the scroll position before it.
  bool dropping_ = false;
  int valueBeforeDrop_ = 0;
};

}  // namespace kdx::ui
