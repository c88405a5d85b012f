#pragma once

#include <QAbstractTableModel>

#include "link/traffic.h"

namespace kdx::ui {

// The recorder's rows as a read-only table: time, source, command, name,
// reply, detail, status and duration. It follows the recorder as rows are
// added, dropped at the front and cleared; the sent and received bytes show
// as the row's tool tip.
class TrafficModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Time, Source, Command, Name, Reply, Detail, Status, Duration, ColumnCount };

  explicit TrafficModel(TrafficRecorder& recorder, QObject* parent = nullptr);
  ~TrafficModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  TrafficRecorder& recorder_;
  // The rows the views know of; the recorder may be one step ahead while it
  // tells of a change.
  int count_ = 0;
};

}  // namespace kdx::ui
