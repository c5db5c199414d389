#pragma once
// The grid of the object browser: a title row and one row per entry of the object table.

#include <array>
#include <string>
#include <vector>

#include "LogFiles.h"
#include "ObjectEntry.h"

inline constexpr size_t kObjectGridColumns = 8;
using ObjectGridRow = std::array<std::string, kObjectGridColumns>;

// "No.", "Name", "Index", "Sub", "Len", "Value dec", "Value hex", "Value text".
const ObjectGridRow& ObjectGridTitles();

// Row 0 the titles, row r (from 1) entry r - 1. A header shows its name and "%04X" index and
// opens a group of (value of its sub-index 0) + 1 rows, which show "%02X" of their sub-index
// in "Sub"; other rows show "%04X" of their index in "Index". A group also ends where the
// index changes. "Value dec" is unsigned decimal (a float when the length field is 8), "Value
// hex" "0x%0*X" with (2 x length) mod 9 digits. Texts are shown as UTF-8.
std::vector<ObjectGridRow> FillObjectGrid(const ObjectTable& table);

// The entry a grid row stands for, read from the row's first cell as the original grid does;
// -1 when the cell holds no row number.
int EntryOfGridRow(const std::vector<ObjectGridRow>& grid, int row);

// The grid as a table for the CSV export.
class ObjectGridTable final : public TableSource {
public:
    explicit ObjectGridTable(const std::vector<ObjectGridRow>& grid) : grid_(grid) {}
    size_t RowCount() const override { return grid_.size(); }
    size_t ColumnCount() const override { return kObjectGridColumns; }
    std::string Cell(size_t row, size_t column) const override { return grid_[row][column]; }

private:
    const std::vector<ObjectGridRow>& grid_;
};
