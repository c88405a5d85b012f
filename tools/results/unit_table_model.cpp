#include "unit_table_model.h"

#include <QBrush>
#include <QColor>

#include "results_table.h"

namespace kdx::results {

UnitTableModel::UnitTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void UnitTableModel::setRun(const RunView* run) {
  std::vector<QStringList> cells;
  std::vector<std::int64_t> ids;
  if (run) {
    for (const UnitView& unit : run->units) {
      QStringList row;
      for (const std::string& cell : UnitCells(unit, run->run.ended.has_value()))
        row << QString::fromStdString(cell);
      cells.push_back(row);
      ids.push_back(unit.unit.id);
    }
  }
  const bool same = ids == ids_ && !ids.empty();
  if (!same) beginResetModel();
  run_ = run;
  cells_ = std::move(cells);
  ids_ = std::move(ids);
  if (same)
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  else
    endResetModel();
}

int UnitTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int UnitTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kUnitColumnCount;
}

QVariant UnitTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !run_ || index.row() >= rowCount()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  const UnitView& unit = run_->units.at(row);
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return cells_[row].value(column);
    case SortRole:
      if (const auto value = UnitSortValue(unit, column)) return *value;
      return cells_[row].value(column);
    case Qt::ToolTipRole:
      if (column == kUnitNegative || column == kUnitNegativesByCode) {
        const std::string tip = NegativesTip(unit.stats);
        if (!tip.empty()) return QString::fromStdString(tip);
      }
      if (column == kUnitFirstFailure && unit.stats.firstFailure)
        return QString::fromStdString(unit.stats.firstFailure->started);
      if (column == kUnitPort) return QString::fromStdString(unit.unit.path);
      return {};
    case Qt::BackgroundRole:
      if (unit.failed()) return QBrush(QColor(0xF4, 0xB6, 0xB6));
      return {};
    case Qt::ForegroundRole:
      if (unit.failed()) return QBrush(QColor(0x60, 0x00, 0x00));
      return {};
    case Qt::TextAlignmentRole:
      if (UnitSortValue(unit, column) && column != kUnitNegativesByCode)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default:
      return {};
  }
}

QVariant UnitTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromStdString(UnitTableHeader().at(static_cast<std::size_t>(section)));
}

}  // namespace kdx::results
