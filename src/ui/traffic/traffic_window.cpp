#include "ui/traffic/traffic_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "link/traffic_csv.h"
#include "ui/adapters/file_dialogs.h"
#include "ui/traffic/traffic_model.h"
#include "ui/widgets/named.h"

namespace kdx::ui {

TrafficWindow::TrafficWindow(TrafficRecorder& recorder, FileDialogs& files, Messages& messages,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), recorder_(recorder), files_(files), messages_(messages) {
  Named(this, "TrafficWindow");
  setWindowTitle("Decoded traffic");
  model_ = new TrafficModel(recorder_, this);

  auto* layout = new QVBoxLayout(this);
  auto* limit = Named(
      new QLabel(
          QString("Every exchange on the line, the last %1 kept.")
              .arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(recorder_.limit())))),
      "TrafficLimitLabel");
  layout->addWidget(limit);

  table_ = Named(new QTableView, "TrafficTable");
  // Made before the view's own connections, so that it runs before the view
  // moves its current row away from rows about to be dropped.
  connect(model_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
          [this](const QModelIndex&, int first) {
            if (first != 0) return;
            dropping_ = true;
            valueBeforeDrop_ = table_->verticalScrollBar()->value();
          });
  table_->setModel(model_);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(false);
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setStretchLastSection(false);
  table_->horizontalHeader()->setSectionResizeMode(TrafficModel::Detail, QHeaderView::Stretch);
  const int widths[] = {90, 100, 70, 170, 70, 0, 230, 50};
  for (int column = 0; column < TrafficModel::ColumnCount; ++column) {
    if (widths[column] > 0) table_->setColumnWidth(column, widths[column]);
  }
  layout->addWidget(table_, 1);

  auto* row = new QHBoxLayout;
  auto* exportButton = Named(new QPushButton("Export CSV..."), "TrafficExportBtn");
  auto* saveButton = Named(new QPushButton("Save Session..."), "TrafficSaveSessionBtn");
  auto* clear = Named(new QPushButton("Clear"), "TrafficClearBtn");
  row->addStretch();
  row->addWidget(exportButton);
  row->addWidget(saveButton);
  row->addWidget(clear);
  layout->addLayout(row);
  connect(exportButton, &QPushButton::clicked, this, &TrafficWindow::exportCsv);
  connect(saveButton, &QPushButton::clicked, this, &TrafficWindow::saveSession);
  connect(clear, &QPushButton::clicked, this, [this] { recorder_.clear(); });

  // The newest row stays in view while the view is at the bottom: whether it
  // is follows the operator's scrolling, and when rows are added the range
  // grows and a following view moves to its new end.
  QScrollBar* bar = table_->verticalScrollBar();
  connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
    if (!dropping_) followNewest_ = value >= bar->maximum();
  });
  connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
    if (followNewest_) bar->setValue(maximum);
  });
  // At the cap of kept rows each new row drops the oldest: the rows move up
  // under a range that stays as it is. The view would follow its current
  // row up to the top when that row goes; instead it stays at the bottom
  // when it followed, and moves up with its rows when the operator had
  // scrolled up, so that it keeps showing them.
  connect(model_, &QAbstractItemModel::rowsRemoved, this,
          [this, bar](const QModelIndex&, int first, int last) {
            if (first != 0) return;
            dropping_ = false;
            bar->setValue(followNewest_ ? bar->maximum() : valueBeforeDrop_ - (last + 1));
          });
  resize(1000, 420);
}

void TrafficWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Opened (or opened again) onto rows: at the newest, unless the operator
  // had scrolled up.
  if (followNewest_) table_->scrollToBottom();
}

void TrafficWindow::exportCsv() {
  const auto path = files_.saveCsvFile(this);
  if (!path) return;
  const std::string csv = TrafficCsv(recorder_.rows());
  QString error;
  const int code = WriteFileAtomically(
      *path, QByteArray(csv.data(), static_cast<qsizetype>(csv.size())), &error);
  if (code != 0) {
    messages_.show("Export CSV",
                   ("The rows could not be written to " + *path + ":\r\n" + error).toStdString(),
                   Icon::Exclamation);
  }
}

void TrafficWindow::saveSession() {
  const auto path = files_.saveSessionFile(this);
  if (!path) return;
  const std::string text = SessionFileText(sessionHeader ? sessionHeader() : SessionHeader{},
                                           recorder_.rows(), recorder_.sessionFrom());
  QString error;
  const int code = WriteFileAtomically(
      *path, QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
  if (code != 0) {
    messages_.show("Save Session",
                   ("The session could not be written to " + *path + ":\r\n" + error).toStdString(),
                   Icon::Exclamation);
  }
}

}  // namespace kdx::ui
