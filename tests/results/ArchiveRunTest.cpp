// Runs reach the archive: through the runner against the simulated encoder (finished, stopped
// and replaced, a lost channel), and the README's main job with the real quarzel-run and
// quarzel-results.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>

#include "ResultStore.h"
#include "StationArchive.h"
#include "StationHarness.h"
#include "TempDir.h"

namespace {
class ArchiveRunTest : public ::testing::Test {
protected:
    void SetUp() override { SetRunArchive(&archive); }
    void TearDown() override { SetRunArchive(nullptr); }

    std::vector<RunSummary> Stored(StationHarness& h) {
        ResultDatabase db;
        std::string error;
        EXPECT_TRUE(db.Open(h.Folder() + "/log/" + kLocalArchiveFileName, 0, error)) << error;
        ResultStore store(db);
        EXPECT_TRUE(store.Prepare(error)) << error;
        RunFilter all;
        all.limit = 0;
        auto runs = store.List(all, error);
        std::reverse(runs.begin(), runs.end());  // oldest first
        return runs;
    }
    RunRecord Load(StationHarness& h, const std::string& uuid) {
        ResultDatabase db;
        std::string error;
        EXPECT_TRUE(db.Open(h.Folder() + "/log/" + kLocalArchiveFileName, 0, error)) << error;
        ResultStore store(db);
        auto run = store.Load(uuid, error);
        EXPECT_TRUE(run) << error;
        return run ? *run : RunRecord{};
    }

    std::vector<std::string> reports;
    StationArchive archive{[this](const std::string& text) { reports.push_back(text); }};
};

// A test of `n` labels: one row each, one per runner tick.
std::string Markers(int n) {
    std::string text = "Test\nBaudrate: 500\nKnotenadresse: 5\nVendorID: 0x4A\nProduktcode: 0x406\n"
                       "Revisionsnummer: 1\nSeriennummer: 0\nEmergencyID: 0x85\nGuardingId: 0x705\n"
                       "PDO1_ID: 0x185\nPDO2_ID: 0x285\nSyncId: 0x80\nTimer: 10\n[BEFEHLE]\n";
    for (int i = 0; i < n; ++i) text += "[B]\nB:Marke,Name:M" + std::to_string(i) + "\n";
    return text;
}

std::string Example() { return std::string(QUARZEL_EXAMPLES_DIR) + "/encoder-production.tst"; }
}  // namespace

TEST_F(ArchiveRunTest, TheProductionExampleIsStoredWithEveryRowAndTheDeviceIdentity) {
    StationHarness h;
    AppConfiguration().SetValue("[STATION_NAME]", "line-7 station 2");
    AppConfiguration().SetValue("[CAN_TREIBER_TYP]", "sim:encoder");
    ASSERT_TRUE(h.LoadFile(Example()));
    ASSERT_TRUE(h.Run());
    const auto runs = Stored(h);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(reports.empty()) << reports.front();
    const RunRecord run = Load(h, runs[0].run.uuid);
    EXPECT_EQ(run.rows, h.Rows());
    EXPECT_EQ(run.rows.back()[COL_COMMAND], "Test end");
    EXPECT_EQ(run.verdict, "passed");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errorCount, 0);
    EXPECT_EQ(run.station, "line-7 station 2");
    EXPECT_EQ(run.programVersion, "2.45.0");
    EXPECT_TRUE(run.simulated);
    EXPECT_EQ(run.serialNr, ScriptVariables().Get("SerialNr"));
    EXPECT_EQ(run.nodeId, ScriptVariables().Get("NodeId"));
    EXPECT_EQ(run.vendorId, ScriptVariables().Get("VendorId"));
    EXPECT_EQ(run.testFile, Example());
    EXPECT_EQ(run.testSha256.size(), 64u);
    EXPECT_LE(run.startedMs, run.endedMs);
    EXPECT_GT(run.endedMs - run.startedMs, 500);  // the run's virtual second
}

TEST_F(ArchiveRunTest, StoppedReplacedLostAndEndedRunsAreEachStoredOnce) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Markers(40)));
    // START, STOP after a while, START again: the first run is kept as "stopped".
    ASSERT_TRUE(h.Runner().StartTest());
    h.Time().RunUntil([] { return false; }, h.Time().NowUs() + 50'000);
    h.Runner().StopTest();
    const int stoppedRows = h.Grid().LastWrittenRow();
    ASSERT_GT(stoppedRows, 0);
    EXPECT_TRUE(Stored(h).empty());  // a stopped run may still be continued
    ASSERT_TRUE(h.Run());
    // A protocol reset after a finished run records nothing more.
    h.Runner().ResetProtocol();
    // A run stopped and then reset.
    ASSERT_TRUE(h.Runner().StartTest());
    h.Runner().StopTest();
    h.Runner().ResetProtocol();
    // A lost channel.
    ASSERT_TRUE(h.Runner().StartTest());
    CanClose();
    h.Time().RunUntil([] { return false; }, h.Time().NowUs() + 50'000);

    const auto runs = Stored(h);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].run.verdict, "stopped");
    EXPECT_EQ(runs[0].rowCount, stoppedRows);
    EXPECT_EQ(runs[1].run.verdict, "passed");
    EXPECT_EQ(runs[2].run.verdict, "stopped");
    EXPECT_EQ(runs[3].run.verdict, "not completed (CAN channel not active)");
    EXPECT_EQ(runs[3].run.exitCode, 2);
    EXPECT_NE(runs[0].run.uuid, runs[1].run.uuid);
}

TEST_F(ArchiveRunTest, AnArchiveThatCannotBeWrittenIsReportedAndTheRunGoesOn) {
    StationHarness h;
    // The log folder is a file: the database cannot be created there.
    QFile blocker(QString::fromStdString(h.Folder() + "/log"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(h.Load(Markers(2)));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::Finished);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("could not be archived"), std::string::npos) << reports[0];
    // "off" stores nothing and says nothing.
    reports.clear();
    QFile::remove(blocker.fileName());
    AppConfiguration().SetValue("[RESULT_DB]", "off");
    ASSERT_TRUE(h.Run());
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(h.Folder() + "/log/" + kLocalArchiveFileName)));
}

// The README's main job: quarzel-run on the production example, then quarzel-results finds the
// run by serial number and test file and shows and exports it.
TEST(ArchiveMainJob, QuarzelResultsFindsTheRunOfQuarzelRun) {
    TempDir dir;
    for (const char* name : {"encoder-production.tst", "quarzel.ini", "Memory.dat", "userdata.hex"})
        ASSERT_TRUE(QFile::copy(QString(QUARZEL_EXAMPLES_DIR) + "/" + name, QString::fromStdString(dir.File(name))));
    auto run = [&](const QString& program, const QStringList& args, QString* out = nullptr) {
        QProcess p;
        p.setWorkingDirectory(QString::fromStdString(dir.Path()));
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(120000));
        if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitCode();
    };
    ASSERT_EQ(run(QUARZEL_RUN_PROGRAM, {"--quiet", "encoder-production.tst"}), 0);
    QString list;
    ASSERT_EQ(run(QUARZEL_RESULTS_PROGRAM, {"list", "--serial", "0x12345678"}, &list), 0);
    EXPECT_TRUE(list.contains("passed (simulated)")) << list.toStdString();
    EXPECT_TRUE(list.contains("encoder-production.tst"));
    const QString uuid = list.split('\n').value(1).section(' ', 2, 2, QString::SectionSkipEmpty);
    ASSERT_EQ(uuid.size(), 36) << list.toStdString();
    QString byTest;
    EXPECT_EQ(run(QUARZEL_RESULTS_PROGRAM, {"list", "--test", "encoder-production.tst", "--from", "2000-01-01"}, &byTest), 0);
    EXPECT_TRUE(byTest.contains(uuid));
    EXPECT_EQ(run(QUARZEL_RESULTS_PROGRAM, {"list", "--serial", "1"}), 1);
    QString show;
    ASSERT_EQ(run(QUARZEL_RESULTS_PROGRAM, {"show", uuid.left(8)}, &show), 0);
    EXPECT_TRUE(show.contains("SerialNr:        305419896 (0x12345678)")) << show.toStdString();
    EXPECT_TRUE(show.contains("Test end"));
    EXPECT_EQ(show.count(QChar(10)), 15 + 1 + 117);  // details, titles, every row
    ASSERT_EQ(run(QUARZEL_RESULTS_PROGRAM, {"export", uuid, "--csv", "run.csv", "--junit", "run.xml"}), 0);
    QFile csv(QString::fromStdString(dir.File("run.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count('\n'), 118);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dir.File("run.xml"))));
    QString yield;
    ASSERT_EQ(run(QUARZEL_RESULTS_PROGRAM, {"yield"}, &yield), 0);
    EXPECT_TRUE(yield.contains("100.0%")) << yield.toStdString();
    EXPECT_EQ(run(QUARZEL_RESULTS_PROGRAM, {"lsit"}), 2);
}
