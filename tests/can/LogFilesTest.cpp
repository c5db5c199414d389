#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "CANLogger.h"
#include "CanChannel.h"
#include "CanSettings.h"
#include "LogFiles.h"
#include "ScriptedOperator.h"
#include "TempDir.h"
#include "VirtualTimeSource.h"

namespace {
void Touch(const std::string& path) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}

class TwoByTwo final : public TableSource {
public:
    size_t RowCount() const override { return 2; }
    size_t ColumnCount() const override { return 2; }
    std::string Cell(size_t r, size_t c) const override { return std::string(1, char('a' + r * 2 + c)); }
};
}  // namespace

TEST(ForceDirectories, CreatesParentsAndAcceptsBothSeparators) {
    TempDir dir;
    const std::string deep = dir.Path() + "/a\\b/c/";
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(QDir(QString::fromStdString(dir.Path() + "/a/b/c")).exists());
    EXPECT_TRUE(ForceDirectories(deep));  // exists already
    EXPECT_FALSE(ForceDirectories(""));
}

TEST(ForceDirectories, PathWithoutSeparatorDoesNotRecurseForEver) {
    TempDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.Path()));
    EXPECT_TRUE(ForceDirectories("plainfolder"));
    EXPECT_TRUE(QDir("plainfolder").exists());
    QDir::setCurrent(old);
}

TEST(ForceDirectories, AFileInTheWayFails) {
    TempDir dir;
    Touch(dir.File("file"));
    EXPECT_FALSE(ForceDirectories(dir.File("file") + "/sub"));
}

TEST(BuildLogFileName, CountsUpAndIgnoresTrailingSeparators) {
    ScopedVirtualTime vt;
    TempDir dir;
    std::string first, again, withSlash, withBackslash;
    ASSERT_TRUE(BuildLogFileName(first, dir.Path() + "/logs", ".csv"));
    ASSERT_TRUE(BuildLogFileName(withSlash, dir.Path() + "/logs/", ".csv"));
    ASSERT_TRUE(BuildLogFileName(withBackslash, dir.Path() + "/logs\\", ".csv"));
    EXPECT_EQ(first, withSlash);
    EXPECT_EQ(first, withBackslash);
    const std::string base = BaseName(first);
    EXPECT_EQ(base.rfind(ComputerName() + "_", 0), 0u);
    EXPECT_EQ(base.substr(base.size() - 6), "_0.csv");
    Touch(first);
    ASSERT_TRUE(BuildLogFileName(again, dir.Path() + "/logs", ".csv"));
    EXPECT_EQ(again.substr(0, again.size() - 6), first.substr(0, first.size() - 6));
    EXPECT_EQ(again.substr(again.size() - 6), "_1.csv");
}

TEST(BuildLogFileName, FolderThatCannotBeMadeFails) {
    TempDir dir;
    Touch(dir.File("blocker"));
    std::string out;
    EXPECT_FALSE(BuildLogFileName(out, dir.File("blocker") + "/logs", ".csv"));
}

TEST(CanTrace, TwoStopsInOneSecondGiveNamesDifferingInTheNumber) {
    ScopedVirtualTime vt;
    TempDir dir;
    DefaultCanSettings().SetConfig("[LOG_DIR]", dir.Path());
    tagOPEN_Message m;
    m.id = 0x181;
    CanTraceStart();
    CanTraceLogger().Add(m);
    EXPECT_TRUE(CanTraceStop("first"));
    EXPECT_EQ(CanTraceLogger().Size(), 0u);
    CanTraceStart();
    EXPECT_TRUE(CanTraceStop("second"));
    QStringList files = QDir(QString::fromStdString(dir.Path())).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files[0].endsWith("_0.csv"));
    EXPECT_TRUE(files[1].endsWith("_1.csv"));
    EXPECT_EQ(files[0].chopped(6), files[1].chopped(6));
}

TEST(CanTrace, UnusableLogFolderWritesNothingButClears) {
    TempDir dir;
    Touch(dir.File("blocker"));
    DefaultCanSettings().SetConfig("[LOG_DIR]", dir.File("blocker") + "/x");
    CanTraceStart();
    tagOPEN_Message m;
    CanTraceLogger().Add(m);
    EXPECT_FALSE(CanTraceStop(""));
    EXPECT_EQ(CanTraceLogger().Size(), 0u);
}

TEST(ExportGridCsv, WritesQuotedCellsWithSeparator) {
    TempDir dir;
    ScriptedOperator op;
    op.fileAnswers.push_back(dir.File("grid.csv"));
    ASSERT_TRUE(ExportGridCsv(';', TwoByTwo()));
    ASSERT_EQ(op.calls.size(), 1u);
    EXPECT_EQ(op.calls[0].kind, "save");
    EXPECT_EQ(op.calls[0].text, "CSV Datei|*.csv");
    QFile f(QString::fromStdString(dir.File("grid.csv")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_EQ(f.readAll().toStdString(), "\"a\";\"b\";\n\"c\";\"d\";\n");
}

TEST(ExportGridCsv, CancelledDialogWritesNothing) {
    ScriptedOperator op;
    op.fileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(ExportGridCsv(';', TwoByTwo()));
    op.fileAnswers.push_back(std::string());
    EXPECT_FALSE(ExportGridCsv(';', TwoByTwo()));
}
