#include <gtest/gtest.h>

#include <QFile>

#include "CANLogger.h"
#include "TempDir.h"

namespace {
tagOPEN_Message Frame(uint32_t id, std::vector<uint8_t> data, uint64_t ts, bool rtr = false) {
    tagOPEN_Message m;
    m.id = id;
    m.dlc = static_cast<uint32_t>(data.size());
    for (size_t i = 0; i < data.size(); ++i) m.data[i] = data[i];
    m.timestamp = ts;
    m.rtr = rtr;
    return m;
}

std::string ReadAll(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return "<missing>";
    return f.readAll().toStdString();
}
}  // namespace

TEST(FormatCsvLine, DataAndRemoteFrames) {
    std::string line;
    FormatCsvLine(line, Frame(0x181, {0x12, 0x34}, 1500));
    EXPECT_EQ(line, "\"00000000000000001500\";\"181\";\"2\";\"false\";\"12\";\"34\";\n");
    FormatCsvLine(line, Frame(0x701, {}, 0, true));
    EXPECT_EQ(line, "\"00000000000000000000\";\"701\";\"0\";\"true\";\n");
    // Identifiers keep at least three digits; wider ones are not cut.
    FormatCsvLine(line, Frame(0x5, {0xAB}, 18446744073709551615ull));
    EXPECT_EQ(line, "\"18446744073709551615\";\"005\";\"1\";\"false\";\"AB\";\n");
    FormatCsvLine(line, Frame(0x1FFFFFFF, {}, 0));
    EXPECT_EQ(line, "\"00000000000000000000\";\"1FFFFFFF\";\"0\";\"false\";\n");
    FormatCsvLine(line, Frame(0x181, {1, 2, 3}, 0), 10);
    EXPECT_EQ(line.size(), 10u);
}

TEST(CANLogger, KeepsFramesOnlyWhileEnabled) {
    CANLogger log;
    log.Add(Frame(0x100, {1}, 1));
    log.Enable();
    log.Add(Frame(0x200, {2}, 2));
    log.Disable();
    log.Add(Frame(0x300, {3}, 3));
    ASSERT_EQ(log.Size(), 1u);
    EXPECT_EQ(log.At(0).id, 0x200u);
    log.Clear();
    EXPECT_EQ(log.Size(), 0u);
}

TEST(CANLogger, WritesHeaderCommentAndLines) {
    TempDir dir;
    CANLogger log;
    log.Enable();
    log.Add(Frame(0x181, {0x12, 0x34}, 1500));
    log.Add(Frame(0x701, {}, 2000, true));
    const std::string path = dir.File("t.csv");
    ASSERT_TRUE(log.WriteCsv(path, "Programmierung"));
    EXPECT_EQ(ReadAll(path),
              "\"Timestamp\";\"Id\";\"DLC\";\"Remoteframe\";\"Data 0\";\"Data 1\";\"Data 2\";\"Data 3\";"
              "\"Data 4\";\"Data 5\";\"Data 6\";\"Data 7\"\n"
              "Programmierung\n"
              "\"00000000000000001500\";\"181\";\"2\";\"false\";\"12\";\"34\";\n"
              "\"00000000000000002000\";\"701\";\"0\";\"true\";\n");
    // No comment line when the comment is empty.
    ASSERT_TRUE(log.WriteCsv(path, ""));
    EXPECT_EQ(ReadAll(path).find("Programmierung"), std::string::npos);
}

TEST(CANLogger, CapacityBoundsMemoryAndTheFileSaysWhatWasDropped) {
    TempDir dir;
    CANLogger log(2);
    log.Enable();
    for (uint32_t i = 0; i < 5; ++i) log.Add(Frame(0x100 + i, {}, i));
    EXPECT_EQ(log.Size(), 2u);
    EXPECT_EQ(log.Dropped(), 3u);
    ASSERT_TRUE(log.WriteCsv(dir.File("d.csv"), ""));
    EXPECT_NE(ReadAll(dir.File("d.csv")).find("3 frames not kept"), std::string::npos);
    EXPECT_LE(CANLogger::BytesPerFrame(), 64u);
}

TEST(CANLogger, UnwritableTargetFailsAndLeavesTheOldFile) {
    TempDir dir;
    CANLogger log;
    EXPECT_FALSE(log.WriteCsv(dir.File("no/such/folder/x.csv"), ""));
    // A folder in the way of the file name: cannot be written.
    const std::string path = dir.File("keep.csv");
    {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    QFile::setPermissions(QString::fromStdString(dir.Path()), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFile(QString::fromStdString(dir.File("probe"))).open(QIODevice::WriteOnly)) {
        EXPECT_FALSE(log.WriteCsv(path, ""));
        EXPECT_EQ(ReadAll(path), "old");
    }
    QFile::setPermissions(QString::fromStdString(dir.Path()),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
