// Desktop figures: the protocol grid of the main window with 100,000 rows (writing, painting,
// clearing) and the remote-control poll.
#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "ControlPipe.h"
#include "PreciseTimer.h"
#include "TForm1.h"

namespace {
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

constexpr int kRows = 100'000;

void GridFigures(TForm1& form) {
    ProtocolGrid& grid = form.Station().Grid();
    auto* view = form.findChild<QTableView*>("gridProtocol");
    const std::string command = "SDO_UpInit  Index:6004 Sub:0", id = "605", dlc = "8", data = "40", status = "ok";
    std::array<const std::string*, kGridColumns> cells{};
    cells[COL_COMMAND] = &command;
    cells[COL_ID] = &id;
    cells[COL_DLC] = &dlc;
    for (int k = 0; k < 8; ++k) cells[COL_DATA0 + k] = &data;
    cells[COL_STATUS] = &status;

    // As the runner writes: one row per tick, the grid growing in blocks, the newest row
    // scrolled into view, the event loop (painting included) running between ticks.
    const auto start = Clock::now();
    double worstRowMs = 0;
    for (int r = 1; r <= kRows; ++r) {
        const auto row0 = Clock::now();
        if (grid.RowCount() - r < 50) grid.SetRowCount(grid.RowCount() + ProtocolGrid::kGrowRows);
        grid.WriteRow(r, cells);
        grid.SetCurrentRow(r + 1);
        QCoreApplication::processEvents();
        worstRowMs = std::max(worstRowMs, Ms(row0, Clock::now()));
    }
    const auto written = Clock::now();
    std::printf("grid_row_with_event_loop: %.2f us\n", Ms(start, written) * 1000.0 / kRows);
    std::printf("grid_worst_row_with_event_loop: %.2f ms\n", worstRowMs);

    const auto paint0 = Clock::now();
    view->viewport()->grab();
    const auto paint1 = Clock::now();
    std::printf("grid_paint_at_100000_rows: %.2f ms\n", Ms(paint0, paint1));

    view->scrollToTop();
    const auto top0 = Clock::now();
    view->viewport()->grab();
    const auto top1 = Clock::now();
    std::printf("grid_scroll_to_top_and_paint: %.2f ms\n", Ms(top0, top1));

    const auto clear0 = Clock::now();
    form.Station().Runner().InitProtocolGrid();
    QCoreApplication::processEvents();
    const auto clear1 = Clock::now();
    std::printf("grid_clear_100000_rows: %.2f ms\n", Ms(clear0, clear1));
}

void PollFigures(const QString& folder) {
    ControlPipe pipe((folder + "/ctl").toStdString());
    pipe.Create();
    constexpr int kPolls = 10'000;
    const auto start = Clock::now();
    for (int k = 0; k < kPolls; ++k) pipe.Poll();
    std::printf("control_pipe_poll_without_client: %.2f us\n", Ms(start, Clock::now()) * 1000.0 / kPolls);
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetTimerFactory([] { return std::make_unique<PreciseTimer>(); });
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    {
        TForm1 form((dir.path() + "/form-ctl").toStdString());
        form.resize(1180, 760);
        form.show();
        QCoreApplication::processEvents();
        GridFigures(form);
    }
    PollFigures(dir.path());
    SetTimerFactory(nullptr);
    return 0;
}
