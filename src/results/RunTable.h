#pragma once
// A stored run's rows as a table to export (the grid's titles in row 0), for the CSV and JUnit
// writers the station uses for its own grid.

#include "LogFiles.h"
#include "RunRecord.h"

class RunTable final : public TableSource {
public:
    explicit RunTable(const RunRecord& run) : run_(run) {}
    size_t RowCount() const override { return run_.rows.size() + 1; }
    size_t ColumnCount() const override { return kGridColumns; }
    std::string Cell(size_t row, size_t column) const override {
        if (column >= kGridColumns) return {};
        return row == 0 ? GridTitles()[column] : run_.rows[row - 1][column];
    }

private:
    const RunRecord& run_;
};
