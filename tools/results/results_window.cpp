#include "results_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include "chart_data.h"
#include "results_charts.h"
#include "results_table.h"
#include "unit_table_model.h"

namespace kdx::results {

namespace {

template <class W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  widget->setAccessibleDescription(name);
  return widget;
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// A serial number as part of a file name: characters other than letters,
// digits, ".", "-" and "_" become "_".
QString FileSafe(const QString& text) {
  QString out;
  for (QChar c : text)
    out += (c.isLetterOrNumber() && c.unicode() < 128) || c == '.' || c == '-' || c == '_'
               ? c
               : QChar('_');
  return out.isEmpty() ? QStringLiteral("_") : out;
}

}  // namespace

ResultsWindow::ResultsWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("KDX-846 Results");
  resize(1200, 860);
  QMenu* file = menuBar()->addMenu("&File");
  QAction* open = file->addAction("&Open...", this, &ResultsWindow::chooseFile);
  open->setShortcut(QKeySequence::Open);
  open->setObjectName("Open");
  QAction* exportAction =
      file->addAction("&Export charts and table...", this, &ResultsWindow::chooseExportFolder);
  exportAction->setObjectName("Export");
  QAction* quit = file->addAction("&Quit", this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  message_ = Named(new QLabel(central), "Message");
  message_->setWordWrap(true);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message_->hide();
  layout->addWidget(message_);

  auto* split = new QSplitter(Qt::Vertical, central);
  runList_ = Named(new QTableWidget(0, 6, split), "Runs");
  runList_->setHorizontalHeaderLabels({"Run", "Started", "Duration", "Script", "Units", "Verdict"});
  runList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  runList_->setSelectionMode(QAbstractItemView::SingleSelection);
  runList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  runList_->verticalHeader()->hide();
  runList_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  runList_->horizontalHeader()->setStretchLastSection(true);
  connect(runList_, &QTableWidget::itemSelectionChanged, this,
          [this] { selectRun(runList_->currentRow()); });

  model_ = new UnitTableModel(this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  sorted_->setSortRole(UnitTableModel::SortRole);
  unitTable_ = Named(new QTableView(split), "Units");
  unitTable_->setModel(sorted_);
  unitTable_->setSortingEnabled(true);
  unitTable_->sortByColumn(kUnitNumber, Qt::AscendingOrder);
  unitTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
  unitTable_->verticalHeader()->hide();
  unitTable_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  unitTable_->horizontalHeader()->setStretchLastSection(true);

  charts_ = Named(new QTabWidget(split), "Charts");
  timeChart_ = Named(NewChartView(), "ExchangeTimeChart");
  failureChart_ = Named(NewChartView(), "FailureChart");
  charts_->addTab(timeChart_, "Exchange time");
  charts_->addTab(failureChart_, "Failures over time");
  auto* history = new QWidget;
  auto* historyLayout = new QVBoxLayout(history);
  auto* pick = new QHBoxLayout;
  auto* serialLabel = new QLabel("Serial number:", history);
  serial_ = Named(new QComboBox(history), "SerialNumber");
  serial_->setMinimumContentsLength(16);
  serialLabel->setBuddy(serial_);
  pick->addWidget(serialLabel);
  pick->addWidget(serial_);
  pick->addStretch();
  historyChart_ = Named(NewChartView(history), "HistoryChart");
  historyLayout->addLayout(pick);
  historyLayout->addWidget(historyChart_);
  charts_->addTab(history, "Serial number history");
  connect(serial_, &QComboBox::currentTextChanged, this, [this] { showHistory(); });
  connect(charts_, &QTabWidget::currentChanged, this, [this] { showCharts(); });
  // A few runs, a station of units, and the charts in most of the room.
  split->setSizes({110, 230, 460});
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 2);
  split->setStretchFactor(2, 4);
  layout->addWidget(split);
  setCentralWidget(central);

  follow_ = new QTimer(this);
  follow_->setObjectName("Follow");
  follow_->setInterval(kFollowMs);
  connect(follow_, &QTimer::timeout, this, &ResultsWindow::follow);
}

ResultsWindow::~ResultsWindow() {
  // The model points into run_: let it go first.
  model_->setRun(nullptr);
}

QString ResultsWindow::message() const {
  return message_->text();
}

void ResultsWindow::showMessage(const QString& text) {
  message_->setText(text);
  message_->setVisible(!text.isEmpty());
}

bool ResultsWindow::openFile(const QString& path, QString* error) {
  std::string why;
  auto reader = ResultsReader::Open(path.toStdString(), why);
  if (!reader) {
    // The file shown before, if any, stays and is still followed.
    showMessage(Text(why));
    if (error) *error = Text(why);
    return false;
  }
  follow_->stop();
  retry_ = false;
  model_->setRun(nullptr);
  reader_ = std::move(reader);
  runs_.clear();
  haveRun_ = false;
  run_ = {};
  runList_->setRowCount(0);
  serial_->clear();
  setWindowTitle(QStringLiteral("%1 - KDX-846 Results").arg(QFileInfo(path).fileName()));
  showMessage({});
  reader_->changed();
  const bool read = reader_->runs(runs_, why);
  if (!read) {
    readFailed(why);
    if (error) *error = message();
  } else {
    showRuns();
    if (runs_.empty()) showMessage(path + ": no runs yet");
    // The most recent run.
    if (!runs_.empty()) runList_->selectRow(static_cast<int>(runs_.size()) - 1);
  }
  if (!haveRun_) showRun();  // selecting a run showed it
  follow_->start();
  return read;
}

bool ResultsWindow::readFailed(const std::string& error) {
  // Read again at the next tick, whether or not anything was committed.
  retry_ = true;
  showMessage(QStringLiteral("%1: %2").arg(Text(reader_->path()), Text(error)));
  return false;
}

void ResultsWindow::showRuns() {
  const QSignalBlocker quiet(runList_);
  runList_->setRowCount(static_cast<int>(runs_.size()));
  int selected = -1;
  for (int row = 0; row < static_cast<int>(runs_.size()); ++row) {
    const RunRow& run = runs_[static_cast<std::size_t>(row)];
    const QStringList cells{QString::number(run.id),    Text(run.started).replace('T', ' '),
                            Text(RunDuration(run)),     Text(RunScript(run)),
                            QString::number(run.units), Text(RunVerdict(run))};
    for (int column = 0; column < cells.size(); ++column) {
      auto* item = runList_->item(row, column);
      if (!item) {
        item = new QTableWidgetItem;
        runList_->setItem(row, column, item);
      }
      item->setText(cells[column]);
      if (column == 3) item->setToolTip(Text(run.scriptPath + "\nSHA-256 " + run.scriptSha256));
    }
    if (haveRun_ && run.id == run_.run.id) selected = row;
  }
  if (selected >= 0) runList_->selectRow(selected);
  runList_->resizeColumnsToContents();
}

void ResultsWindow::selectRun(int row) {
  if (!reader_ || row < 0 || row >= static_cast<int>(runs_.size())) return;
  std::string error;
  RunView view;
  if (!reader_->load(runs_[static_cast<std::size_t>(row)].id, view, error)) {
    readFailed(error);
    return;
  }
  model_->setRun(nullptr);
  run_ = std::move(view);
  haveRun_ = true;
  showRun();
}

void ResultsWindow::showRun() {
  shownRevision_ = run_.revision;
  model_->setRun(haveRun_ ? &run_ : nullptr);
  unitTable_->resizeColumnsToContents();
  const RunView empty;
  const RunView& run = haveRun_ ? run_ : empty;
  // The serial numbers of the run's units first; the history follows the
  // choice.
  QStringList serials;
  for (const UnitView& unit : run.units)
    if (unit.unit.serial && !unit.unit.serial->empty()) serials << Text(*unit.unit.serial);
  std::vector<std::string> all;
  std::string error;
  if (reader_ && reader_->serials(all, error)) {
    for (const std::string& serial : all)
      if (!serials.contains(Text(serial))) serials << Text(serial);
  }
  QStringList shown;
  for (int i = 0; i < serial_->count(); ++i) shown << serial_->itemText(i);
  if (shown != serials) {
    const QString current = serial_->currentText();
    const QSignalBlocker quiet(serial_);
    serial_->clear();
    serial_->addItems(serials);
    if (serials.contains(current)) serial_->setCurrentText(current);
  }
  showCharts();
  std::int64_t exchanges = 0;
  for (const UnitView& unit : run.units) exchanges += unit.stats.exchanges;
  if (haveRun_)
    statusBar()->showMessage(QStringLiteral("Run %1: %2 units, %3 exchanges; read at %4")
                                 .arg(run.run.id)
                                 .arg(run.units.size())
                                 .arg(exchanges)
                                 .arg(QTime::currentTime().toString("hh:mm:ss")));
}

void ResultsWindow::showCharts() {
  // Only the chart in view is drawn again; the others when they come into
  // view, so that following a large run costs one chart a second.
  const RunView empty;
  const RunView& run = haveRun_ ? run_ : empty;
  if (charts_->currentWidget() == timeChart_) ShowExchangeTimes(timeChart_, ExchangeTimes(run));
  if (charts_->currentWidget() == failureChart_) ShowFailureBins(failureChart_, FailureBins(run));
  if (charts_->currentWidget() == historyChart_->parentWidget()) showHistory();
}

void ResultsWindow::showHistory() {
  std::vector<SerialRun> history;
  const QString serial = serial_->currentText();
  std::string error;
  if (reader_ && !serial.isEmpty() && !reader_->serialHistory(serial.toStdString(), history, error))
    readFailed(error);
  ShowSerialHistory(historyChart_, serial, history);
}

void ResultsWindow::follow() {
  if (!reader_) return;
  const bool changed = reader_->changed();
  if (!changed && !retry_) return;
  retry_ = false;
  std::string error;
  std::vector<RunRow> runs;
  if (!reader_->runs(runs, error)) {
    readFailed(error);
    return;
  }
  if (message_->isVisible()) showMessage({});
  runs_ = std::move(runs);
  showRuns();
  if (!haveRun_) {
    if (!runs_.empty()) runList_->selectRow(static_cast<int>(runs_.size()) - 1);
    return;
  }
  if (!reader_->update(run_, error)) {
    readFailed(error);
    return;
  }
  // A new run after the selected one, which has ended: follow the new one,
  // as a supervisor watching the file expects.
  if (runs_.size() > 1 && run_.run.ended && runs_[runs_.size() - 2].id == run_.run.id) {
    runList_->selectRow(static_cast<int>(runs_.size()) - 1);
    return;
  }
  if (run_.revision != shownRevision_) showRun();
}

bool ResultsWindow::exportTo(const QString& dir, QString& error) {
  if (!QDir().mkpath(dir)) {
    error = dir + ": the folder cannot be made";
    return false;
  }
  const QDir folder(dir);
  const RunView empty;
  const RunView& run = haveRun_ ? run_ : empty;
  QSaveFile csv(folder.filePath("units.csv"));
  const std::string text = UnitTableCsv(run);
  if (!csv.open(QIODevice::WriteOnly) ||
      csv.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size()) ||
      !csv.commit()) {
    error = csv.fileName() + ": " + csv.errorString();
    return false;
  }
  constexpr int kWidth = 1200;
  constexpr int kHeight = 700;
  QWidget* chart = NewChartView();
  std::unique_ptr<QWidget> owner(chart);
  const auto save = [&](const QString& name) {
    const QString path = folder.filePath(name);
    if (SaveChartPng(chart, path, kWidth, kHeight)) return true;
    error = path + ": the picture cannot be written";
    return false;
  };
  ShowExchangeTimes(chart, ExchangeTimes(run));
  if (!save("exchange-time.png")) return false;
  ShowFailureBins(chart, FailureBins(run));
  if (!save("failures.png")) return false;
  // One history per serial number of the run's units.
  for (const UnitView& unit : run.units) {
    if (!unit.unit.serial || unit.unit.serial->empty() || !reader_) continue;
    std::vector<SerialRun> history;
    std::string why;
    if (!reader_->serialHistory(*unit.unit.serial, history, why)) {
      error = Text(reader_->path() + ": " + why);
      return false;
    }
    const QString serial = Text(*unit.unit.serial);
    ShowSerialHistory(chart, serial, history);
    if (!save("history-" + FileSafe(serial) + ".png")) return false;
  }
  return true;
}

void ResultsWindow::chooseFile() {
  const QString path =
      QFileDialog::getOpenFileName(this, "Open results database", {},
                                   "Results databases (*.db *.sqlite *.sqlite3);;All files (*)");
  if (!path.isEmpty()) openFile(path);
}

void ResultsWindow::chooseExportFolder() {
  const QString dir = QFileDialog::getExistingDirectory(this, "Export charts and table to");
  if (dir.isEmpty()) return;
  QString error;
  if (exportTo(dir, error))
    statusBar()->showMessage("Exported to " + dir);
  else
    showMessage(error);
}

}  // namespace kdx::results
