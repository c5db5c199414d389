#pragma once
// The protocol grid as data: 18 columns, the titles in row 0, rows that grow in blocks of 1000.
// The desktop shows it through a view; the headless runner prints the rows as they are written.
// Memory stays bounded: past `maxKeptRows` written rows the oldest ones are discarded.

#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "LogFiles.h"

inline constexpr int kGridColumns = 18;

enum GridColumn : int {
    COL_NO = 0,
    COL_TIME,
    COL_COMMAND,
    COL_RT,
    COL_ID,
    COL_VALUE,
    COL_DLC,
    COL_DATA0,  // "0" ... "7": COL_DATA0 + k
    COL_ASCII = COL_DATA0 + 8,
    COL_STATUS,
    COL_LINE,
};

using GridRow = std::array<std::string, kGridColumns>;

// "No.", "Time", "Command", ... "Line".
const GridRow& GridTitles();
// Column widths in pixels.
const std::array<int, kGridColumns>& GridColumnWidths();

class ProtocolGridListener {
public:
    virtual ~ProtocolGridListener() = default;
    virtual void GridCleared() {}
    // A row's cells were written (a protocol row, or the end-of-test row).
    virtual void RowWritten(int /*row*/) {}
    virtual void RowCountChanged(int /*rows*/) {}
    virtual void CurrentRowChanged(int /*row*/) {}
};

class ProtocolGrid {
public:
    static constexpr int kInitialRows = 1000;
    static constexpr int kGrowRows = 1000;
    static constexpr size_t kDefaultMaxKeptRows = 200000;

    explicit ProtocolGrid(size_t maxKeptRows = kDefaultMaxKeptRows);

    // Empties every cell, writes the titles into row 0, 1000 rows, current row 1.
    void Clear();
    int RowCount() const { return rowCount_; }
    void SetRowCount(int rows);
    int CurrentRow() const { return currentRow_; }
    void SetCurrentRow(int row);

    std::string Cell(int row, int column) const;
    GridRow Row(int row) const;
    // Writes cells of `row`; cells not given (nullptr) keep their text. Notifies RowWritten.
    void WriteRow(int row, const std::array<const std::string*, kGridColumns>& cells);

    // The highest row written since the last Clear (0 when none).
    int LastWrittenRow() const { return lastWritten_; }
    // The first row still kept; rows above it (but row 0) were discarded.
    int FirstKeptRow() const { return base_; }
    uint64_t DiscardedRows() const { return discarded_; }

    void SetListener(ProtocolGridListener* listener) { listener_ = listener; }

private:
    std::string& Stored(int row);

    size_t maxKept_;
    std::deque<std::string> rows_;  // rows base_ ...; cells joined by a unit separator
    int base_ = 1;
    int rowCount_ = kInitialRows;
    int currentRow_ = 1;
    int lastWritten_ = 0;
    uint64_t discarded_ = 0;
    ProtocolGridListener* listener_ = nullptr;
};

// The grid as a table to export: the title row, then every kept row up to the last written.
class ProtocolGridTable final : public TableSource {
public:
    explicit ProtocolGridTable(const ProtocolGrid& grid) : grid_(grid) {}
    size_t RowCount() const override;
    size_t ColumnCount() const override { return kGridColumns; }
    std::string Cell(size_t row, size_t column) const override;

private:
    const ProtocolGrid& grid_;
};
