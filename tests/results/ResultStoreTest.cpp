// The archive's store on SQLite and on a real PostgreSQL server: runs read back identical, a
// UUID is stored once, look-ups by serial, test file and time, the yield, schema migrations.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

#include "ArchiveTestData.h"
#include "PostgresServer.h"
#include "ResultSchema.h"
#include "ResultStore.h"
#include "TempDir.h"

namespace {
PostgresServer& SharedServer() {
    static PostgresServer server;
    return server;
}

class ResultStoreTest : public ::testing::TestWithParam<ResultDialect> {
protected:
    void SetUp() override {
        if (GetParam() == ResultDialect::Postgres) {
            PostgresServer& pg = SharedServer();
            if (!pg.Available()) GTEST_SKIP() << "PostgreSQL binaries not installed (scripts/setup.sh installs them)";
            ASSERT_TRUE(pg.Ready()) << pg.Log();
            ASSERT_TRUE(db.Open(pg.ConnectionString(), 10, error)) << error;
            // Each test starts from an empty database.
            QSqlQuery q(db.Db());
            q.exec("DROP TABLE IF EXISTS forward_queue, run_rows, runs, schema_version CASCADE");
        } else {
            ASSERT_TRUE(db.Open(dir.File("log/archive.sqlite"), 0, error)) << error;
        }
    }

    TempDir dir;
    ResultDatabase db;
    std::string error;
};

std::string Uuid(int n) {
    char text[40];
    std::snprintf(text, sizeof text, "%08x-0000-4000-8000-%012d", n, n);
    return text;
}
}  // namespace

TEST_P(ResultStoreTest, RunsReadBackIdenticalAndAreStoredOnce) {
    ResultStore store(db);
    ASSERT_TRUE(store.Prepare(error)) << error;
    const RunRecord run = SampleRun(Uuid(1), 4711, 1'700'000'000'000, 120);
    ASSERT_EQ(store.Store(run, false, error), StoreResult::Stored) << error;
    auto back = store.Load(Uuid(1), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, run);
    EXPECT_FALSE(back->baudrate.has_value());
    // A unique start of the UUID finds it too; an unknown or malformed one does not.
    EXPECT_TRUE(store.Load(Uuid(1).substr(0, 8), error));
    EXPECT_FALSE(store.Load("ffff", error));
    EXPECT_FALSE(store.Load("x' OR 1=1 --", error));

    // The same UUID again, even with other content, changes nothing.
    RunRecord again = SampleRun(Uuid(1), 9999, 1'800'000'000'000, 3, "failed");
    EXPECT_EQ(store.Store(again, false, error), StoreResult::Duplicate);
    EXPECT_EQ(store.RunCount(error), 1);
    EXPECT_EQ(*store.Load(Uuid(1), error), run);

    // A run without rows and without identity.
    RunRecord bare;
    bare.uuid = Uuid(2);
    bare.verdict = "stopped";
    ASSERT_EQ(store.Store(bare, false, error), StoreResult::Stored) << error;
    EXPECT_EQ(*store.Load(Uuid(2), error), bare);
}

TEST_P(ResultStoreTest, LooksUpBySerialTestFileAndTimeAndCountsTheYield) {
    ResultStore store(db);
    ASSERT_TRUE(store.Prepare(error)) << error;
    const int64_t day1 = QDateTime(QDate(2026, 3, 2), QTime(8, 0)).toMSecsSinceEpoch();
    const int64_t day2 = QDateTime(QDate(2026, 3, 3), QTime(23, 30)).toMSecsSinceEpoch();
    struct Row {
        int n;
        uint32_t serial;
        int64_t start;
        const char* verdict;
        const char* file;
    };
    const Row rows[] = {
        {1, 100, day1, "failed", "/tests/a/encoder.tst"},
        {2, 100, day1 + 60'000, "passed", "/tests/a/encoder.tst"},
        {3, 200, day1 + 120'000, "passed", "C:\\tests\\encoder.tst"},
        {4, 300, day1 + 180'000, "passed", "/tests/b/other_encoder.tst"},
        {5, 100, day2, "stopped", "/tests/a/encoder.tst"},
        {6, 400, day2 + 1000, "passed", "/tests/a/encoder%.tst"},
    };
    for (const Row& r : rows)
        ASSERT_EQ(store.Store(SampleRun(Uuid(r.n), r.serial, r.start, 2, r.verdict, r.file), false, error),
                  StoreResult::Stored)
            << error;
    auto uuids = [&](RunFilter f) {
        std::vector<int> out;
        for (const auto& s : store.List(f, error)) out.push_back(std::stoi(s.run.uuid.substr(0, 8), nullptr, 16));
        return out;
    };
    RunFilter bySerial;
    bySerial.serialNr = 100;
    EXPECT_EQ(uuids(bySerial), (std::vector<int>{5, 2, 1}));  // newest first
    bySerial.limit = 2;
    EXPECT_EQ(uuids(bySerial), (std::vector<int>{5, 2}));
    RunFilter byName;
    byName.testFile = "encoder.tst";  // a name matches at the end of Unix and Windows paths, not inside a name
    EXPECT_EQ(uuids(byName), (std::vector<int>{5, 3, 2, 1}));
    RunFilter byPath;
    byPath.testFile = "/tests/a/encoder%.tst";  // wildcard characters are taken literally
    EXPECT_EQ(uuids(byPath), (std::vector<int>{6}));
    RunFilter byTime;
    byTime.fromMs = day1 + 60'000;
    byTime.toMs = day2;  // exclusive
    EXPECT_EQ(uuids(byTime), (std::vector<int>{4, 3, 2}));
    RunFilter none;
    none.serialNr = 12345;
    EXPECT_TRUE(store.List(none, error).empty());
    EXPECT_TRUE(error.empty()) << error;

    const auto yield = store.Yield(RunFilter{}, error);
    ASSERT_EQ(yield.size(), 5u) << error;
    EXPECT_EQ(yield[0].day, "2026-03-02");
    EXPECT_EQ(yield[0].testFile, "/tests/a/encoder.tst");
    EXPECT_EQ(yield[0].runs, 2);
    EXPECT_EQ(yield[0].passed, 1);
    EXPECT_EQ(yield[0].simulated, 2);
    EXPECT_EQ(yield[4].day, "2026-03-03");
    EXPECT_EQ(yield[4].testFile, "/tests/a/encoder.tst");
    EXPECT_EQ(yield[4].runs, 1);
    EXPECT_EQ(yield[4].passed, 0);  // a stopped run is not a pass
}

TEST_P(ResultStoreTest, AnOlderSchemaIsMigratedWithItsRunsAndANewerOneRefused) {
    // A database as the first schema version left it, with a run in it.
    ASSERT_TRUE(MigrateResultSchema(db, error, 1)) << error;
    {
        QSqlQuery q(db.Db());
        ASSERT_TRUE(q.exec("INSERT INTO runs (uuid, station, program_version, test_file, test_sha256, serial_nr, "
                           "started_at, ended_at, verdict, error_count, exit_code, row_count) VALUES "
                           "('00000001-0dd0', 'st', '2.45.0', '/t/old.tst', 'ab', 55, 1000, 2000, 'passed', 0, 0, 1)"));
        ASSERT_TRUE(q.exec("INSERT INTO run_rows (run_id, row_no, c_command, c_status) VALUES "
                           "((SELECT id FROM runs), 1, 'Marke', 'ok')"));
    }
    EXPECT_EQ(ResultSchemaVersionOf(db, error), 1);
    ResultStore store(db);
    ASSERT_TRUE(store.Prepare(error)) << error;
    EXPECT_EQ(ResultSchemaVersionOf(db, error), kResultSchemaVersion);
    auto old = store.Load("00000001-0dd0", error);
    ASSERT_TRUE(old) << error;
    EXPECT_EQ(old->serialNr, 55u);
    EXPECT_FALSE(old->simulated);
    EXPECT_EQ(old->interfaceType, "");
    ASSERT_EQ(old->rows.size(), 1u);
    EXPECT_EQ(old->rows[0][COL_COMMAND], "Marke");
    // The new version's columns and queue work on the migrated database.
    ASSERT_EQ(store.Store(SampleRun(Uuid(9), 55, 3000), true, error), StoreResult::Stored) << error;
    EXPECT_EQ(store.QueuedUuids(10, error), std::vector<std::string>{Uuid(9)});
    RunFilter f;
    f.serialNr = 55;
    EXPECT_EQ(store.List(f, error).size(), 2u);
    // Preparing again is harmless.
    EXPECT_TRUE(store.Prepare(error)) << error;

    // A database from a newer program is left alone.
    QSqlQuery(db.Db()).exec("UPDATE schema_version SET version = 99");
    EXPECT_FALSE(store.Prepare(error));
    EXPECT_NE(error.find("99"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Dialects, ResultStoreTest, ::testing::Values(ResultDialect::Sqlite, ResultDialect::Postgres),
                         [](const auto& info) { return info.param == ResultDialect::Sqlite ? "Sqlite" : "Postgres"; });

TEST(ResultDatabaseTest, ConnectionStringsAndUris) {
    struct Case {
        const char* text;
        bool pg;
        bool ok;
        const char* host;
        const char* port;
        const char* dbname;
        const char* user;
    };
    const Case cases[] = {
        {"host=db.line port=5433 dbname=results user=station password='a b\\'c' sslmode=require", true, true,
         "db.line", "5433", "results", "station"},
        {"postgresql://station:pw@db.line:5433/results?sslmode=require", true, true, "db.line", "5433", "results",
         "station"},
        {"postgres://db.line/results", true, true, "db.line", "", "results", ""},
        {"dbname=results", true, true, "", "", "results", ""},
        {"host=db port=x5", true, false, "", "", "", ""},
        {"host=db password='open", true, false, "", "", "", ""},
        {"/var/log/quarzel/results.sqlite", false, false, "", "", "", ""},
        {"log/a=b/results.sqlite", false, false, "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LooksLikePostgres(c.text), c.pg) << c.text;
        if (!c.pg) continue;
        PostgresConnection pc;
        std::string error;
        EXPECT_EQ(ParsePostgresConnection(c.text, pc, error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(pc.host, c.host);
        EXPECT_EQ(pc.port, c.port);
        EXPECT_EQ(pc.dbname, c.dbname);
        EXPECT_EQ(pc.user, c.user);
        EXPECT_EQ(DescribePostgres(pc).find("pw"), std::string::npos);  // never shows the password
    }
    PostgresConnection pc;
    std::string error;
    ASSERT_TRUE(ParsePostgresConnection("host=h password='a b\\'c' sslmode=require", pc, error));
    EXPECT_EQ(pc.password, "a b'c");
    EXPECT_EQ(pc.options.at("sslmode"), "require");
}
