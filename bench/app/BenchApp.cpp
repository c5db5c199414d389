// The runner's own figures: loading a large test file, the runner's time per tick without I/O,
// and how late the runner timer ticks on a real clock.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include "CanChannel.h"
#include "CanSettings.h"
#include "CommandSet.h"
#include "NamedValueList.h"
#include "PreciseTimer.h"
#include "ProtocolGrid.h"
#include "TestFileLoader.h"
#include "TestRunner.h"
#include "TimeSource.h"
#include "VirtualCanInterface.h"
#include "VirtualTimeSource.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A test file of `n` instructions: labels and loops, with answer lines on every other block.
std::string BigTestFile(int n) {
    std::string text =
        "Benchmark\r\nBaudrate: 500\r\nKnotenadresse: 5\r\nVendorID: 0x4A\r\nProduktcode: 1\r\n"
        "Revisionsnummer: 1\r\nSeriennummer: 0\r\nEmergencyID: 0x85\r\nGuardingId: 0x705\r\n"
        "PDO1_ID: 0x185\r\nPDO2_ID: 0x285\r\nSyncId: 0x80\r\nTimer: 1\r\n[BEFEHLE]\r\n";
    for (int i = 0; i < n; ++i) {
        text += "[B]\r\nB:Marke,Name:L" + std::to_string(i) + " ; label " + std::to_string(i) + "\r\n";
        if (i % 2) text += "[A]\r\nId:0x185,DLC:4,D:Y0:1Y1:2Y2:Y3:Y4:Y5:Y6:Y7:\r\n";
    }
    return text;
}

void LoadBench(const std::string& path) {
    constexpr int kRepeats = 5;
    double best = 1e9;
    for (int r = 0; r < kRepeats; ++r) {
        const auto t0 = Clock::now();
        if (!LoadTestFile(path, false)) std::printf("load failed\n");
        best = std::min(best, Seconds(t0));
    }
    std::printf("load_test_file_10000_instructions: %.2f ms\n", best * 1e3);
}

void TickBench() {
    ScopedVirtualTime vt;
    auto bus = VirtualBus::Create();
    CanSetInterface(std::make_shared<VirtualCanInterface>(bus));
    DefaultCanSettings().SetVariable("Baudr", 2);
    ProtocolGrid grid;
    {
        TestRunner runner(grid);
        runner.StartTest();
        const int interval = runner.IntervalMs();
        constexpr int kTicks = 10000;
        const auto t0 = Clock::now();
        for (int i = 0; i < kTicks; ++i) vt->AdvanceByMs(static_cast<uint64_t>(interval));
        const double s = Seconds(t0);
        if (grid.LastWrittenRow() < kTicks) std::printf("runner wrote only %d rows\n", grid.LastWrittenRow());
        std::printf("runner_time_per_tick: %.2f us\n", s * 1e6 / kTicks);
    }
    CanClose();
    CanSetInterface(nullptr);
}

void LatenessBench(int intervalMs, double seconds) {
    PreciseTimer timer;
    std::vector<int64_t> lateUs;
    uint64_t previous = CurrentTimeSource().NowUs();
    const uint64_t end = previous + static_cast<uint64_t>(seconds * 1e6);
    timer.SetHandler([&] {
        const uint64_t now = CurrentTimeSource().NowUs();
        lateUs.push_back(static_cast<int64_t>(now - previous) - intervalMs * 1000);
        previous = now;
        if (now >= end) {
            timer.Stop();
            QCoreApplication::quit();
        }
    });
    timer.Start(intervalMs);
    QCoreApplication::exec();
    std::sort(lateUs.begin(), lateUs.end());
    const auto at = [&](double q) { return lateUs[static_cast<size_t>(q * static_cast<double>(lateUs.size() - 1))]; };
    std::printf("tick_lateness_%dms_median: %.3f ms\n", intervalMs, at(0.5) / 1e3);
    std::printf("tick_lateness_%dms_p99: %.3f ms\n", intervalMs, at(0.99) / 1e3);
    std::printf("tick_lateness_%dms_max: %.3f ms\n", intervalMs, lateUs.back() / 1e3);
    std::printf("tick_lateness_%dms_early_ticks: %lld count\n", intervalMs,
                static_cast<long long>(std::count_if(lateUs.begin(), lateUs.end(), [](int64_t l) { return l < 0; })));
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RegisterAllCommands();
    QTemporaryDir dir;
    const std::string path = dir.filePath("big.tst").toStdString();
    std::ofstream(path, std::ios::binary) << BigTestFile(10000);
    LoadBench(path);
    TickBench();
    LatenessBench(1, 10.0);
    LatenessBench(10, 10.0);
    return 0;
}
