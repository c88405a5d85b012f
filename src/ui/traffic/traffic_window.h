#pragma once

#include <QWidget>

#include "link/messages.h"
#include "link/traffic.h"

class QTableView;

namespace kdx::ui {

class FileDialogs;
class TrafficModel;

// The decoded traffic window: one row per exchange on the line, newest at
// the bottom, kept in view unless the operator scrolled up; "Export CSV..."
// writes the rows to a file, "Clear" empties them. A window of its own beside
// the main window; it changes nothing the monitor shows.
class TrafficWindow final : public QWidget {
  Q_OBJECT
 public:
  TrafficWindow(TrafficRecorder& recorder, FileDialogs& files, Messages& messages,
                QWidget* parent = nullptr);

  QTableView* table() const { return table_; }

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
