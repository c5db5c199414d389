#include "TraceListModel.h"

TraceListModel::TraceListModel(const TraceList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), generation_(list.Generation()), revision_(list.Revision()) {
    rows_ = static_cast<int>(list.Size());
}

int TraceListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TraceListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TraceListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_ ||
        static_cast<size_t>(index.row()) >= list_.Size())
        return {};
    const TraceLine& line = list_.At(static_cast<size_t>(index.row()));
    return QString::fromStdString(index.column() == 0 ? line.text : line.service);
}

QVariant TraceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return section == 0 ? QStringLiteral("Trace") : QStringLiteral("CANopen");
}

bool TraceListModel::Refresh() {
    if (list_.Revision() == revision_) return false;
    revision_ = list_.Revision();
    const int size = static_cast<int>(list_.Size());
    if (list_.Generation() != generation_ || size < rows_) {
        generation_ = list_.Generation();
        beginResetModel();
        rows_ = size;
        endResetModel();
        return true;
    }
    const int old = rows_;
    if (size > old) {
        beginInsertRows({}, old, size - 1);
        rows_ = size;
        endInsertRows();
    }
    if (old > 0) emit dataChanged(index(0, 0), index(old - 1, 1));
    return size > old;
}
