#include <gtest/gtest.h>

#include "PreciseTimer.h"
#include "ProtocolGrid.h"
#include "RowText.h"
#include "TimeSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {
std::array<const std::string*, kGridColumns> Cells(const std::string& command, const std::string* status = nullptr) {
    std::array<const std::string*, kGridColumns> cells{};
    cells[COL_COMMAND] = &command;
    cells[COL_STATUS] = status;
    return cells;
}
}  // namespace

TEST(ProtocolGridTest, TitlesCellsAndClear) {
    ProtocolGrid grid;
    grid.Clear();
    EXPECT_EQ(grid.Cell(0, COL_NO), "No.");
    EXPECT_EQ(grid.Cell(0, COL_LINE), "Line");
    EXPECT_EQ(GridColumnWidths()[COL_COMMAND], 300);
    EXPECT_EQ(grid.RowCount(), 1000);
    const std::string ok = "ok";
    grid.WriteRow(1, Cells("first", &ok));
    grid.WriteRow(1, Cells("again"));  // cells not given keep their text
    EXPECT_EQ(grid.Cell(1, COL_COMMAND), "again");
    EXPECT_EQ(grid.Cell(1, COL_STATUS), "ok");
    // A separator character in a text cannot split a cell.
    grid.WriteRow(2, Cells("a\x1f" "b"));
    EXPECT_EQ(grid.Cell(2, COL_COMMAND), "a b");
    EXPECT_EQ(grid.Cell(2, COL_STATUS), "");
    grid.WriteRow(0, Cells("no"));  // the title row stays
    EXPECT_EQ(grid.Cell(0, COL_COMMAND), "Command");
    grid.Clear();
    EXPECT_EQ(grid.Cell(1, COL_COMMAND), "");
    EXPECT_EQ(grid.LastWrittenRow(), 0);
}

TEST(ProtocolGridTest, MemoryStaysBoundedAndExportKeepsTheNewestRows) {
    ProtocolGrid grid(100);
    grid.Clear();
    grid.SetRowCount(100000);
    for (int r = 1; r <= 1000; ++r) grid.WriteRow(r, Cells("row " + std::to_string(r)));
    EXPECT_EQ(grid.DiscardedRows(), 900u);
    EXPECT_EQ(grid.FirstKeptRow(), 901);
    EXPECT_EQ(grid.Cell(900, COL_COMMAND), "");
    EXPECT_EQ(grid.Cell(1000, COL_COMMAND), "row 1000");

    const ProtocolGridTable table(grid);
    ASSERT_EQ(table.RowCount(), 101u);
    EXPECT_EQ(table.Cell(0, COL_COMMAND), "Command");
    EXPECT_EQ(table.Cell(1, COL_COMMAND), "row 901");
    EXPECT_EQ(table.Cell(100, COL_COMMAND), "row 1000");
}

TEST(RowTextTest, AlignedColumnsInUtf8) {
    GridRow row;
    row[COL_NO] = "12";
    row[COL_COMMAND] = "Pr\xfc" "fung";
    row[COL_STATUS] = "ok";
    const std::string text = FormatRowText(row);
    EXPECT_EQ(text.substr(0, 5), "12   ");
    EXPECT_NE(text.find("Pr\xc3\xbc" "fung"), std::string::npos);
    // Columns line up with the title row whatever the bytes of the texts.
    const std::string titles = FormatRowText(GridTitles());
    const auto column = [](const std::string& s, const std::string& what) {
        size_t chars = 0;
        for (size_t i = 0; i < s.find(what); ++i)
            if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++chars;
        return chars;
    };
    EXPECT_EQ(column(text, "ok"), column(titles, "Status"));
}

TEST(PreciseTimerTest, NeverTicksEarly) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    PreciseTimer timer;
    std::vector<uint64_t> ticks;
    const uint64_t start = CurrentTimeSource().NowUs();
    timer.SetHandler([&] {
        ticks.push_back(CurrentTimeSource().NowUs());
        if (ticks.size() == 5) {
            timer.Stop();
            app.quit();
        }
    });
    timer.Start(3);
    app.exec();
    ASSERT_EQ(ticks.size(), 5u);
    uint64_t previous = start;
    for (uint64_t t : ticks) {
        EXPECT_GE(t - previous, 3000u);
        previous = t;
    }
    EXPECT_FALSE(timer.IsActive());
}
