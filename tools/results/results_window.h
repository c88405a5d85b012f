#pragma once

#include <QMainWindow>
#include <memory>
#include <vector>

#include "results_reader.h"

class QComboBox;
class QLabel;
class QSortFilterProxyModel;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;

namespace kdx::results {

class UnitTableModel;

// The results window: the database's runs, the selected run's units and
// its charts. It follows a database that a runner is still writing: a
// timer asks the database once a second whether anything was committed
// and then reads only what is new, each read a short read transaction.
class ResultsWindow final : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kFollowMs = 1000;

  explicit ResultsWindow(QWidget* parent = nullptr);
  ~ResultsWindow() override;

  // Opens `path` and selects its most recent run. False, with the reason
  // shown in the window (and in `error`), when it cannot be read.
  bool openFile(const QString& path, QString* error = nullptr);
  // Writes the selected run's charts as PNG files and its unit table as
  // units.csv into `dir`. False, with the reason in `error`, when they
  // cannot be written.
  bool exportTo(const QString& dir, QString& error);

  // The message line's text: why a file cannot be read, or that it holds
  // no runs yet.
  QString message() const;

 private:
  void chooseFile();
  void chooseExportFolder();
  void follow();
  void showRuns();
  void selectRun(int row);
  void showRun();
  void showCharts();
  void showHistory();
  void showMessage(const QString& text);
  bool readFailed(const std::string& error);

  std::unique_ptr<ResultsReader> reader_;
  std::vector<RunRow> runs_;
  RunView run_;
  bool haveRun_ = false;
  std::uint64_t shownRevision_ = 0;  // of run_, as last drawn
  bool retry_ = false;               // the last read failed: read again
  QLabel* message_;
  QTableWidget* runList_;
  QTableView* unitTable_;
  UnitTableModel* model_;
  QSortFilterProxyModel* sorted_;
  QTabWidget* charts_;
  QWidget* timeChart_;
  QWidget* failureChart_;
  QWidget* historyChart_;
  QComboBox* serial_;
  QTimer* follow_;
};

}  // namespace kdx::results
