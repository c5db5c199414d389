#pragma once
// The protocol grid as a table model: grid row r (1 ...) is model row r - 1, the titles of
// grid row 0 are the header. Only the visible rows are read, so 100,000 rows stay responsive.

#include <QAbstractTableModel>

#include "ProtocolGrid.h"

class ProtocolGridModel final : public QAbstractTableModel, public ProtocolGridListener {
    Q_OBJECT
public:
    // Listens to `grid` (its only listener) for the model's lifetime.
    explicit ProtocolGridModel(ProtocolGrid& grid, QObject* parent = nullptr);
    ~ProtocolGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // ProtocolGridListener
    void GridCleared() override;
    void RowWritten(int row) override;
    void RowCountChanged(int rows) override;
    void CurrentRowChanged(int row) override;

signals:
    // The grid's current row moved (model row); the view scrolls it into view.
    void currentRowMoved(int modelRow);

private:
    // A painted row asks for each of its cells; the grid unpacks the whole row for each.
    const GridRow& CachedRow(int gridRow) const;

    ProtocolGrid& grid_;
    int rows_ = 0;
    mutable int cachedRow_ = -1;
    mutable GridRow cached_;
};
