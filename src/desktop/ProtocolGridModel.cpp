#include "ProtocolGridModel.h"

#include "TextEncoding.h"

ProtocolGridModel::ProtocolGridModel(ProtocolGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), rows_(std::max(grid.RowCount() - 1, 0)) {
    grid_.SetListener(this);
}

ProtocolGridModel::~ProtocolGridModel() { grid_.SetListener(nullptr); }

int ProtocolGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ProtocolGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kGridColumns; }

QVariant ProtocolGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const std::string& cell = CachedRow(index.row() + 1)[static_cast<size_t>(index.column())];
    if (cell.empty()) return {};
    return QString::fromStdString(Windows1252ToUtf8(cell));
}

QVariant ProtocolGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kGridColumns) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(GridTitles()[static_cast<size_t>(section)]);
    return {};
}

const GridRow& ProtocolGridModel::CachedRow(int gridRow) const {
    if (gridRow != cachedRow_) {
        cached_ = grid_.Row(gridRow);
        cachedRow_ = gridRow;
    }
    return cached_;
}

void ProtocolGridModel::GridCleared() {
    cachedRow_ = -1;
    beginResetModel();
    rows_ = std::max(grid_.RowCount() - 1, 0);
    endResetModel();
}

void ProtocolGridModel::RowWritten(int row) {
    cachedRow_ = -1;
    const int r = row - 1;
    if (r < 0 || r >= rows_) return;
    emit dataChanged(index(r, 0), index(r, kGridColumns - 1), {Qt::DisplayRole});
}

void ProtocolGridModel::RowCountChanged(int rows) {
    const int wanted = std::max(rows - 1, 0);
    if (wanted > rows_) {
        beginInsertRows({}, rows_, wanted - 1);
        rows_ = wanted;
        endInsertRows();
    } else if (wanted < rows_) {
        beginRemoveRows({}, wanted, rows_ - 1);
        rows_ = wanted;
        endRemoveRows();
    }
}

void ProtocolGridModel::CurrentRowChanged(int row) {
    if (row >= 1 && row - 1 < rows_) emit currentRowMoved(row - 1);
}
