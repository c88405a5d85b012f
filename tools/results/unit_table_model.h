#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "results_reader.h"

namespace kdx::results {

// The selected run's units, one row each, as the unit table shows them:
// the cells of UnitCells, the negative codes' catalogue texts as tool tips,
// a red row for a unit that failed, and SortRole (numbers for the count and
// time columns) for a sorting proxy.
class UnitTableModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int SortRole = Qt::UserRole;

  explicit UnitTableModel(QObject* parent = nullptr);

  // Shows `run` (it must outlive the model or the next call); the same
  // units again only change their cells, so selection and sorting stay.
  void setRun(const RunView* run);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const RunView* run_ = nullptr;
  std::vector<QStringList> cells_;
  std::vector<std::int64_t> ids_;  // the units shown, by row
};

}  // namespace kdx::results
