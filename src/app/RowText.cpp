#include "RowText.h"

#include "TextEncoding.h"

namespace {
constexpr std::array<size_t, kGridColumns> kWidths = {4, 9, 48, 3, 3, 10, 3, 2, 2, 2, 2, 2, 2, 2, 2, 16, 9, 4};

size_t Utf8Length(const std::string& s) {
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}
}  // namespace

std::string FormatRowText(const GridRow& row) {
    std::string line;
    for (int c = 0; c < kGridColumns; ++c) {
        if (c) line.push_back(' ');
        const std::string cell = Windows1252ToUtf8(row[c]);
        line += cell;
        const size_t len = Utf8Length(cell);
        if (len < kWidths[c]) line.append(kWidths[c] - len, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}
