#pragma once
// The trace list as a two-column table: the line, and the CANopen service of its frame.

#include <QAbstractTableModel>

#include "TraceList.h"

class TraceListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TraceListModel(const TraceList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Catches up with the list; true when rows were added or the list was cleared.
    bool Refresh();

private:
    const TraceList& list_;
    int rows_ = 0;
    uint64_t generation_ = 0;
    uint64_t revision_ = 0;
};
