// Store and forward against a real PostgreSQL server: a station keeps its runs while the server
// is away and sends them, in order and exactly once, when it is back; two station processes
// write at once; a writer killed in the middle of a run leaves no half run.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSqlQuery>
#include <QVariant>
#include <fstream>

#include "ArchiveTestData.h"
#include "PostgresServer.h"
#include "ResultStore.h"
#include "StationArchive.h"
#include "TempDir.h"

namespace {
PostgresServer& Server() {
    static PostgresServer server;
    return server;
}

#define REQUIRE_POSTGRES()                                                                                  \
    if (!Server().Available()) GTEST_SKIP() << "PostgreSQL binaries not installed (scripts/setup.sh installs them)"; \
    ASSERT_TRUE(Server().Start()) << Server().Log()

// An empty database on the shared server.
void EmptyServer() {
    ResultDatabase db;
    std::string error;
    ASSERT_TRUE(db.Open(Server().ConnectionString(), 10, error)) << error;
    QSqlQuery(db.Db()).exec("DROP TABLE IF EXISTS forward_queue, run_rows, runs, schema_version CASCADE");
}

std::vector<std::string> UuidsIn(const std::string& target, bool oldestFirst = true) {
    ResultDatabase db;
    std::string error;
    EXPECT_TRUE(db.Open(target, 10, error)) << error;
    ResultStore store(db);
    EXPECT_TRUE(store.Prepare(error)) << error;
    QSqlQuery q(db.Db());
    q.exec(QString("SELECT uuid FROM runs ORDER BY id ") + (oldestFirst ? "ASC" : "DESC"));
    std::vector<std::string> out;
    while (q.next()) out.push_back(q.value(0).toString().toStdString());
    return out;
}

// A station configuration whose [RESULT_DB] names the test server.
class Station {
public:
    Station() {
        config_ = std::make_unique<Configuration>();
        std::string text = "[LOG_DIR]\r\nlog\r\n[RESULT_DB]\r\n" + Server().ConnectionString() + "\r\n";
        std::ofstream(dir.File("quarzel.ini"), std::ios::binary) << text;
        ReadConfiguration(dir.File("quarzel.ini"), AppConfiguration());
    }
    std::string LocalPath() const { return dir.File("log/") + kLocalArchiveFileName; }
    TempDir dir;

private:
    std::unique_ptr<Configuration> config_;
};
}  // namespace

TEST(ForwardTest, RunsWaitWhileTheServerIsAwayAndArriveInOrderExactlyOnce) {
    REQUIRE_POSTGRES();
    EmptyServer();
    Station station;
    ASSERT_FALSE(ArchiveTargetFor(AppConfiguration()).server.empty());
    std::vector<std::string> reports;
    StationArchive archive([&](const std::string& text) { reports.push_back(text); });
    archive.SetConnectTimeout(3);

    archive.ArchiveRun(SampleRun("00000001-a", 1, 1000, 30));
    EXPECT_TRUE(reports.empty()) << reports.front();
    EXPECT_EQ(UuidsIn(Server().ConnectionString()), std::vector<std::string>{"00000001-a"});

    // The server goes away in the middle of the next runs: they stay in the station's database.
    Server().Stop();
    archive.ArchiveRun(SampleRun("00000002-b", 2, 2000, 30));
    archive.ArchiveRun(SampleRun("00000003-c", 3, 3000, 30));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_NE(reports[1].find("2 runs are kept in " + station.LocalPath() + " and sent later"), std::string::npos)
        << reports[1];
    EXPECT_EQ(UuidsIn(station.LocalPath()), (std::vector<std::string>{"00000001-a", "00000002-b", "00000003-c"}));

    // Back again: the next run takes the waiting ones along, oldest first.
    ASSERT_TRUE(Server().Start()) << Server().Log();
    reports.clear();
    archive.ArchiveRun(SampleRun("00000004-d", 4, 4000, 30));
    EXPECT_TRUE(reports.empty()) << reports.front();
    EXPECT_EQ(UuidsIn(Server().ConnectionString()),
              (std::vector<std::string>{"00000001-a", "00000002-b", "00000003-c", "00000004-d"}));

    // A run the server took while the station could not note it (cut off before it dequeued):
    // sending it again changes nothing on the server.
    {
        ResultDatabase local;
        std::string error;
        ASSERT_TRUE(local.Open(station.LocalPath(), 0, error));
        QSqlQuery(local.Db()).exec("INSERT INTO forward_queue (run_id) SELECT id FROM runs WHERE uuid = '00000002-b'");
    }
    const ForwardResult again = ForwardQueuedRuns(station.LocalPath(), Server().ConnectionString(), 3);
    EXPECT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.sent, 1);
    EXPECT_EQ(again.left, 0);
    EXPECT_EQ(UuidsIn(Server().ConnectionString()).size(), 4u);
    // What arrived is what was stored.
    ResultDatabase db;
    std::string error;
    ASSERT_TRUE(db.Open(Server().ConnectionString(), 10, error));
    EXPECT_EQ(*ResultStore(db).Load("00000003-c", error), SampleRun("00000003-c", 3, 3000, 30));
}

TEST(ForwardTest, TwoStationProcessesWriteAtOnce) {
    TempDir dir;
    std::vector<std::string> targets = {dir.File("shared.sqlite")};
    if (Server().Available()) {
        ASSERT_TRUE(Server().Start()) << Server().Log();
        EmptyServer();
        targets.push_back(Server().ConnectionString());
    }
    for (const std::string& target : targets) {
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const char* prefix : {"aaaaaaaa", "bbbbbbbb", "cccccccc"}) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(RESULTS_TEST_WRITER, {"store", QString::fromStdString(target), "20", "200", prefix});
            writers.push_back(std::move(p));
        }
        for (auto& p : writers) {
            ASSERT_TRUE(p->waitForFinished(300000));
            EXPECT_EQ(p->exitCode(), 0) << target;
        }
        ResultDatabase db;
        std::string error;
        ASSERT_TRUE(db.Open(target, 10, error)) << error;
        ResultStore store(db);
        EXPECT_EQ(store.RunCount(error), 60) << target;
        QSqlQuery q(db.Db());
        ASSERT_TRUE(q.exec("SELECT COUNT(*) FROM run_rows") && q.next());
        EXPECT_EQ(q.value(0).toInt(), 60 * 200);
        EXPECT_EQ(*store.Load("bbbbbbbb-0007", error), SampleRun("bbbbbbbb-0007", 7, 1007, 200));
    }
}

TEST(ForwardTest, AWriterKilledMidRunLeavesNoHalfRun) {
    TempDir dir;
    std::vector<std::string> targets = {dir.File("crash.sqlite")};
    if (Server().Available()) {
        ASSERT_TRUE(Server().Start()) << Server().Log();
        EmptyServer();
        targets.push_back(Server().ConnectionString());
    }
    for (const std::string& target : targets) {
        {
            ResultDatabase db;
            std::string error;
            ASSERT_TRUE(db.Open(target, 10, error)) << error;
            ResultStore store(db);
            ASSERT_TRUE(store.Prepare(error));
            ASSERT_EQ(store.Store(SampleRun("11111111-whole", 1, 1000, 10), false, error), StoreResult::Stored);
        }
        QProcess writer;
        writer.start(RESULTS_TEST_WRITER, {"hang", QString::fromStdString(target), "2000", "22222222-half"});
        ASSERT_TRUE(writer.waitForReadyRead(120000));
        EXPECT_EQ(writer.readLine().trimmed(), "writing");
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished(30000));

        ResultDatabase db;
        std::string error;
        ASSERT_TRUE(db.Open(target, 10, error)) << error;
        ResultStore store(db);
        EXPECT_EQ(store.RunCount(error), 1) << target;
        QSqlQuery q(db.Db());
        ASSERT_TRUE(q.exec("SELECT COUNT(*) FROM run_rows") && q.next());
        EXPECT_EQ(q.value(0).toInt(), 10);
        if (db.Dialect() == ResultDialect::Sqlite) {
            ASSERT_TRUE(q.exec("PRAGMA integrity_check") && q.next());
            EXPECT_EQ(q.value(0).toString(), "ok");
        }
        // The database takes the next run as usual.
        EXPECT_EQ(store.Store(SampleRun("22222222-half", 2, 2000, 10), false, error), StoreResult::Stored) << error;
    }
}
