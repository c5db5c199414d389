#include "ObjectGridModel.h"

int ObjectGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || grid_.empty() ? 0 : static_cast<int>(grid_.size() - 1);
}

int ObjectGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kObjectGridColumns);
}

QVariant ObjectGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const size_t row = static_cast<size_t>(index.row()) + 1;
    if (row >= grid_.size()) return {};
    return QString::fromStdString(grid_[row][static_cast<size_t>(index.column())]);
}

QVariant ObjectGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return QString::fromStdString(ObjectGridTitles()[static_cast<size_t>(section)]);
}

void ObjectGridModel::Reset() {
    beginResetModel();
    endResetModel();
}
