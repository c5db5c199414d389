// The desktop's side: the history window finds a device's runs and shows a run's rows; the
// desktop archive stores runs and its worker sends them to the server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <fstream>

#include "ArchiveTestData.h"
#include "DesktopArchive.h"
#include "PostgresServer.h"
#include "TempDir.h"
#include "TformResultHistory.h"

namespace {
// An application for one test, gone before the program's statics are.
class TestApp {
public:
    TestApp() : app_(argc_, argv_) {}

private:
    int argc_ = 1;
    char name_[5] = "test";
    char* argv_[2] = {name_, nullptr};
    QApplication app_;
};
}  // namespace

TEST(HistoryWindowTest, ShowsTheRunsOfASerialNumberAndTheRowsOfTheChosenRun) {
    TestApp app;
    TempDir dir;
    ArchiveTarget target;
    target.localPath = dir.File("log/quarzel-results.sqlite");
    TformResultHistory window([&] { return target; });
    auto* serial = window.findChild<QLineEdit*>("edSerial");
    auto* search = window.findChild<QPushButton*>("btnSearch");
    auto* runs = window.findChild<QTableWidget*>("gridRuns");
    auto* rows = window.findChild<QTableWidget*>("gridRows");
    auto* status = window.findChild<QLabel*>("labStatus");
    ASSERT_TRUE(serial && search && runs && rows && status);

    serial->setText("4711");
    search->click();
    EXPECT_EQ(runs->rowCount(), 0);
    EXPECT_EQ(status->text(), "no runs archived yet");
    {
        ResultDatabase db;
        std::string error;
        ASSERT_TRUE(db.Open(target.localPath, 0, error)) << error;
        ResultStore store(db);
        ASSERT_TRUE(store.Prepare(error));
        store.Store(SampleRun("00000001-0000", 4711, 1000, 3, "failed"), false, error);
        store.Store(SampleRun("00000002-0000", 4711, 2000, 9), false, error);
        store.Store(SampleRun("00000003-0000", 99, 3000, 4), false, error);
    }
    serial->setText("0x1267");  // 4711
    search->click();
    ASSERT_EQ(runs->rowCount(), 2);
    EXPECT_EQ(runs->item(0, 5)->text(), "00000002-0000");  // newest first, chosen at once
    EXPECT_EQ(runs->item(0, 1)->text(), "passed (simulated)");
    EXPECT_EQ(rows->rowCount(), 9);
    EXPECT_EQ(rows->item(0, COL_COMMAND)->text().left(8), QString::fromUtf8("Prüfung "));
    runs->setCurrentCell(1, 0);
    EXPECT_EQ(rows->rowCount(), 3);
    EXPECT_TRUE(status->text().startsWith("2 runs of serial number 4711")) << status->text().toStdString();

    serial->setText("12x");
    search->click();
    EXPECT_EQ(runs->rowCount(), 0);
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_TRUE(status->text().contains("not a serial number"));
}

TEST(HistoryWindowTest, TheDesktopArchiveSendsRunsFromItsWorker) {
    TestApp app;
    static PostgresServer server;
    if (!server.Available()) GTEST_SKIP() << "PostgreSQL binaries not installed (scripts/setup.sh installs them)";
    ASSERT_TRUE(server.Ready()) << server.Log();
    TempDir dir;
    std::ofstream(dir.File("quarzel.ini"), std::ios::binary)
        << "[LOG_DIR]\r\nlog\r\n[RESULT_DB]\r\n" << server.ConnectionString() << "\r\n";
    ReadConfiguration(dir.File("quarzel.ini"), AppConfiguration());
    std::vector<std::string> reports;
    DesktopArchive archive([&](const std::string& text) { reports.push_back(text); });
    ASSERT_EQ(CurrentRunArchive(), &archive.Archive());
    QSignalSpy sent(archive.Uploader(), &ResultUploader::Sent);
    CurrentRunArchive()->ArchiveRun(SampleRun("00000001-0000", 5, 1000, 20));
    ASSERT_TRUE(sent.wait(60000));
    EXPECT_EQ(sent.at(0).at(0).toInt(), 1);
    EXPECT_EQ(sent.at(0).at(1).toInt(), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "Result archive: 1 run sent to the server");
    // The history window looks on the server.
    TformResultHistory window([] { return ArchiveTargetFor(AppConfiguration()); });
    window.findChild<QLineEdit*>("edSerial")->setText("5");
    window.Search();
    EXPECT_EQ(window.findChild<QTableWidget*>("gridRuns")->rowCount(), 1);
    EXPECT_NE(window.findChild<QLabel*>("labStatus")->text().toStdString().find("postgresql://"), std::string::npos);
}
