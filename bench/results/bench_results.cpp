// The result archive's figures: 1,000-row runs stored per second into SQLite and into a local
// PostgreSQL server; the station's time per protocol row with the archive on and off; the time
// to find a serial number's history among 1,000,000 stored runs.
#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <chrono>
#include <cstdio>

#include "ArchiveTestData.h"
#include "PostgresServer.h"
#include "ResultStore.h"
#include "StationArchive.h"
#include "StationHarness.h"
#include "TempDir.h"

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string Uuid(const char* prefix, int n) {
    char text[48];
    std::snprintf(text, sizeof text, "%s-%08d", prefix, n);
    return text;
}

void StoreRate(const char* name, const std::string& target) {
    ResultDatabase db;
    std::string error;
    if (!db.Open(target, 10, error) || !ResultStore(db).Prepare(error)) {
        std::printf("%s: %s\n", name, error.c_str());
        return;
    }
    ResultStore store(db);
    constexpr int kRuns = 40;
    RunRecord run = SampleRun("x", 1, 0, 1000);
    const auto t0 = Clock::now();
    for (int i = 0; i < kRuns; ++i) {
        run.uuid = Uuid("rate", i);
        if (store.Store(run, false, error) != StoreResult::Stored) std::printf("%s: %s\n", name, error.c_str());
    }
    std::printf("%s runs stored per second (1,000 rows each): %.1f\n", name, kRuns / Seconds(t0));
}

// Fills `target` with `count` runs (no rows) over 50,000 serial numbers, then times look-ups.
void HistoryQuery(const char* name, const std::string& target, int count) {
    ResultDatabase db;
    std::string error;
    if (!db.Open(target, 10, error) || !ResultStore(db).Prepare(error)) {
        std::printf("%s: %s\n", name, error.c_str());
        return;
    }
    const bool pg = db.Dialect() == ResultDialect::Postgres;
    const auto t0 = Clock::now();
    QSqlQuery q(db.Db());
    const QString numbers = pg ? QString("SELECT generate_series(1, %1) AS i").arg(count)
                               : QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                         "SELECT i FROM n").arg(count);
    const QString uuid = pg ? "'fill-' || i" : "'fill-' || i";
    if (!q.exec("INSERT INTO runs (uuid, station, program_version, test_file, test_sha256, serial_nr, started_at, "
                "ended_at, verdict, error_count, exit_code, row_count) SELECT " + uuid +
                ", 'st', '2.45.0', '/t/encoder.tst', '', i % 50000, i * 1000, i * 1000 + 900, 'passed', 0, 0, 100 "
                "FROM (" + numbers + ") AS n"))
        std::printf("%s: filling failed: %s\n", name, q.lastError().text().toStdString().c_str());
    if (pg) q.exec("ANALYZE runs");
    std::printf("%s filling %d runs: %.1f s\n", name, count, Seconds(t0));
    ResultStore store(db);
    constexpr int kLookups = 200;
    double worst = 0;
    const auto t1 = Clock::now();
    size_t found = 0;
    for (int i = 0; i < kLookups; ++i) {
        RunFilter f;
        f.serialNr = static_cast<uint32_t>((i * 7919) % 50000);
        const auto t = Clock::now();
        found += store.List(f, error).size();
        worst = std::max(worst, Seconds(t));
    }
    std::printf("%s history of a serial among %d runs (%zu runs each): %.3f ms mean, %.3f ms worst\n", name, count,
                found / kLookups, 1000 * Seconds(t1) / kLookups, 1000 * worst);
}

// A test of `n` labels: one row per runner tick.
std::string Markers(int n) {
    std::string text = "Test\nBaudrate: 500\nKnotenadresse: 5\nTimer: 1\n[BEFEHLE]\n";
    for (int i = 0; i < n; ++i) text += "[B]\nB:Marke,Name:M" + std::to_string(i) + "\n";
    return text;
}

void RowOverhead() {
    constexpr int kRows = 20000;
    double seconds[2] = {0, 0};
    double endOfRun = 0;
    for (int round = 0; round < 3; ++round) {
        for (int on = 0; on < 2; ++on) {
            StationHarness h;
            StationArchive archive([](const std::string& text) { std::printf("archive: %s\n", text.c_str()); });
            SetRunArchive(on ? &archive : nullptr);
            h.Load(Markers(kRows));
            const auto t0 = Clock::now();
            h.Run(10'000'000);
            seconds[on] += Seconds(t0);
            if (on) {
                // The end of the run alone: the same record stored again under a new UUID.
                RunRecording again;
                again.Begin();
                const auto t1 = Clock::now();
                again.End(h.Grid(), 0, {"passed", 0});
                endOfRun += Seconds(t1);
            }
            SetRunArchive(nullptr);
        }
    }
    const double perRowOff = seconds[0] / 3 / kRows * 1e6, perRowOn = seconds[1] / 3 / kRows * 1e6;
    std::printf("station time per protocol row, archive off: %.2f us\n", perRowOff);
    std::printf("station time per protocol row, archive on: %.2f us (overhead %.2f us per row)\n", perRowOn,
                perRowOn - perRowOff);
    std::printf("archive write at the end of a %d-row run: %.1f ms (%.2f us per row, after \"Test end\")\n", kRows,
                1000 * endOfRun / 3, endOfRun / 3 / kRows * 1e6);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TempDir dir;
    StoreRate("SQLite", dir.File("rate.sqlite"));
    if (argc > 1) {  // "quick": the store rates only
        PostgresServer pg;
        if (pg.Ready()) StoreRate("PostgreSQL", pg.ConnectionString());
        return 0;
    }
    RowOverhead();
    HistoryQuery("SQLite", dir.File("history.sqlite"), 1'000'000);
    PostgresServer pg;
    if (!pg.Available() || !pg.Ready()) {
        std::printf("PostgreSQL: no local server could be started (%s)\n", pg.Available() ? "start failed" : "not installed");
        return 0;
    }
    StoreRate("PostgreSQL", pg.ConnectionString());
    HistoryQuery("PostgreSQL", pg.ConnectionString(), 1'000'000);
    return 0;
}
