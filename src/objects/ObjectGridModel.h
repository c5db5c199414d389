#pragma once
// The object browser's grid as a Qt table model: the title row is the header, view row r is
// grid row r + 1.

#include <QAbstractTableModel>

#include "ObjectGrid.h"

class ObjectGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ObjectGridModel(const std::vector<ObjectGridRow>& grid, QObject* parent = nullptr)
        : QAbstractTableModel(parent), grid_(grid) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The grid changed (filled anew or values read).
    void Reset();

private:
    const std::vector<ObjectGridRow>& grid_;
};
