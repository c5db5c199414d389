#include "ObjectGrid.h"

#include <bit>
#include <cstdio>

#include "Numbers.h"
#include "TextEncoding.h"

namespace {
std::string Format(const char* format, uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string HexValue(uint32_t value, int32_t length) {
    const int digits = static_cast<int>(((static_cast<int64_t>(length) * 2) % 9 + 9) % 9);
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string DecValue(uint32_t value, int32_t length) {
    if (length != 8) return std::to_string(value);
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(std::bit_cast<float>(value)));
    return text;
}

// A value text is shown up to its first NUL, decoded as Windows-1252 (markers are ASCII).
std::string ShownText(const std::string& text) {
    return Windows1252ToUtf8(std::string_view(text).substr(0, text.find('\0')));
}
}  // namespace

const ObjectGridRow& ObjectGridTitles() {
    static const ObjectGridRow titles = {"No.", "Name", "Index", "Sub", "Len", "Value dec", "Value hex", "Value text"};
    return titles;
}

std::vector<ObjectGridRow> FillObjectGrid(const ObjectTable& table) {
    std::vector<ObjectGridRow> grid;
    grid.reserve(table.size() + 1);
    grid.push_back(ObjectGridTitles());
    uint64_t groupLeft = 0;
    uint32_t groupIndex = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        const ObjectEntry& e = table[i];
        ObjectGridRow row;
        row[0] = std::to_string(i + 1);
        row[1] = e.name;
        if (e.header) {
            row[2] = Format("%04X", e.index);
            groupIndex = e.index;
            groupLeft = i + 1 < table.size() ? static_cast<uint64_t>(table[i + 1].value) + 1 : 0;
            grid.push_back(std::move(row));
            continue;
        }
        row[4] = std::to_string(e.length);
        row[5] = DecValue(e.value, e.length);
        row[6] = HexValue(e.value, e.length);
        row[7] = ShownText(e.valueText);
        if (groupLeft > 0 && e.index == groupIndex) {
            row[3] = Format("%02X", e.subindex);
            --groupLeft;
        } else {
            groupLeft = 0;
            row[2] = Format("%04X", e.index);
        }
        grid.push_back(std::move(row));
    }
    return grid;
}

int EntryOfGridRow(const std::vector<ObjectGridRow>& grid, int row) {
    if (row < 0 || static_cast<size_t>(row) >= grid.size()) return -1;
    int32_t number = 0;
    if (!ReadInteger(grid[static_cast<size_t>(row)][0], number) || number < 1) return -1;
    return number - 1;
}
