#include "ProtocolGrid.h"

namespace {
constexpr char kSep = '\x1f';

GridRow Split(const std::string& packed) {
    GridRow row;
    if (packed.empty()) return row;
    size_t start = 0;
    for (int c = 0; c < kGridColumns; ++c) {
        const size_t end = packed.find(kSep, start);
        row[c] = packed.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return row;
}

std::string Join(const GridRow& row) {
    std::string packed;
    for (int c = 0; c < kGridColumns; ++c) {
        if (c) packed.push_back(kSep);
        for (char ch : row[c]) packed.push_back(ch == kSep ? ' ' : ch);
    }
    return packed;
}
}  // namespace

const GridRow& GridTitles() {
    static const GridRow titles = {"No.", "Time", "Command", "R/T", "Id", "Value", "DLC", "0", "1",
                                   "2",   "3",    "4",       "5",   "6",  "7",     "ASCII", "Status", "Line"};
    return titles;
}

const std::array<int, kGridColumns>& GridColumnWidths() {
    static const std::array<int, kGridColumns> widths = {32, 55, 300, 25, 33, 71, 27, 25, 25,
                                                         25, 25, 25,  25, 25, 25, 138, 55, 44};
    return widths;
}

ProtocolGrid::ProtocolGrid(size_t maxKeptRows) : maxKept_(maxKeptRows < 1 ? 1 : maxKeptRows) {}

void ProtocolGrid::Clear() {
    rows_.clear();
    base_ = 1;
    lastWritten_ = 0;
    discarded_ = 0;
    rowCount_ = kInitialRows;
    currentRow_ = 1;
    if (listener_) {
        listener_->GridCleared();
        listener_->RowCountChanged(rowCount_);
        listener_->CurrentRowChanged(currentRow_);
    }
}

void ProtocolGrid::SetRowCount(int rows) {
    if (rows == rowCount_ || rows < 1) return;
    rowCount_ = rows;
    if (listener_) listener_->RowCountChanged(rowCount_);
}

void ProtocolGrid::SetCurrentRow(int row) {
    currentRow_ = row;
    if (listener_) listener_->CurrentRowChanged(row);
}

std::string ProtocolGrid::Cell(int row, int column) const {
    if (column < 0 || column >= kGridColumns) return {};
    return Row(row)[column];
}

GridRow ProtocolGrid::Row(int row) const {
    if (row == 0) return GridTitles();
    if (row < base_ || row >= base_ + static_cast<int>(rows_.size())) return {};
    return Split(rows_[static_cast<size_t>(row - base_)]);
}

std::string& ProtocolGrid::Stored(int row) {
    while (row >= base_ + static_cast<int>(rows_.size())) rows_.emplace_back();
    while (rows_.size() > maxKept_) {
        rows_.pop_front();
        ++base_;
        ++discarded_;
    }
    return rows_[static_cast<size_t>(row - base_)];
}

void ProtocolGrid::WriteRow(int row, const std::array<const std::string*, kGridColumns>& cells) {
    if (row < base_ || row >= rowCount_) return;  // the title row and discarded rows stay as they are
    std::string& packed = Stored(row);
    GridRow r = Split(packed);
    for (int c = 0; c < kGridColumns; ++c)
        if (cells[c]) r[c] = *cells[c];
    packed = Join(r);
    if (row > lastWritten_) lastWritten_ = row;
    if (listener_) listener_->RowWritten(row);
}

size_t ProtocolGridTable::RowCount() const {
    const int last = grid_.LastWrittenRow();
    return last < grid_.FirstKeptRow() ? 1 : static_cast<size_t>(last - grid_.FirstKeptRow() + 2);
}

std::string ProtocolGridTable::Cell(size_t row, size_t column) const {
    if (row == 0) return grid_.Cell(0, static_cast<int>(column));
    return grid_.Cell(grid_.FirstKeptRow() + static_cast<int>(row) - 1, static_cast<int>(column));
}
