#include "ui/traffic/traffic_model.h"

#include <QBrush>
#include <QColor>

#include "ui/widgets/texts.h"

namespace kdx::ui {

namespace {

QString Cell(const TrafficRow& row, int column) {
  switch (column) {
    case TrafficModel::Time:
      return FromStd(TimeOfDayText(row.time));
    case TrafficModel::Source:
      return row.where.empty() ? FromStd(TrafficSourceText(row.source))
                               : FromStd(TrafficSourceText(row.source)) + " " + FromStd(row.where);
    case TrafficModel::Command:
      return FromStd(row.command);
    case TrafficModel::Name:
      return FromStd(row.name);
    case TrafficModel::Reply:
      return FromStd(TrafficReplyText(row.reply));
    case TrafficModel::Detail:
      return FromStd(row.detail);
    case TrafficModel::Status:
      return FromStd(row.status);
    case TrafficModel::Duration:
      return QString::number(row.durationMs);
    default:
      return {};
  }
}

}  // namespace

TrafficModel::TrafficModel(TrafficRecorder& recorder, QObject* parent)
    : QAbstractTableModel(parent),
      recorder_(recorder),
      count_(static_cast<int>(recorder.rows().size())) {
  recorder_.onAppended = [this] {
    beginInsertRows({}, count_, count_);
    ++count_;
    endInsertRows();
  };
  recorder_.onDropped = [this](std::size_t dropped) {
    const int n = std::min(static_cast<int>(dropped), count_);
    if (n <= 0) return;
    beginRemoveRows({}, 0, n - 1);
    count_ -= n;
    endRemoveRows();
  };
  recorder_.onCleared = [this] {
    beginResetModel();
    count_ = 0;
    endResetModel();
  };
}

TrafficModel::~TrafficModel() {
  recorder_.onAppended = nullptr;
  recorder_.onDropped = nullptr;
  recorder_.onCleared = nullptr;
}

int TrafficModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count_;
}

int TrafficModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count_ ||
      static_cast<std::size_t>(index.row()) >= recorder_.rows().size())
    return {};
  const TrafficRow& row = recorder_.rows()[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return Cell(row, index.column());
    case Qt::ToolTipRole:
      return QString("%1 %2\nSent: %3\nReceived: %4")
          .arg(row.number)
          .arg(FromStd(DateTimeText(row.time)), FromStd(HexBytes(row.sent)),
               FromStd(HexBytes(row.received)));
    case Qt::ForegroundRole:
      if (index.column() == Reply &&
          (row.reply == TrafficReply::Failure || row.reply == TrafficReply::NoReply))
        return QBrush(QColor(Qt::red));
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == Duration) return int(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default:
      return {};
  }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  static const char* const kHeaders[] = {"Time",  "Source", "Command", "Name",
                                         "Reply", "Detail", "Status",  "ms"};
  if (section < 0 || section >= ColumnCount) return {};
  return QString::fromLatin1(kHeaders[section]);
}

}  // namespace kdx::ui
