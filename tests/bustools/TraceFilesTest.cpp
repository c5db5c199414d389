// Trace recordings: our writer and reader, and the independent readers of can-utils (log2asc)
// and python-can (can.LogReader) taking the same files.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <cinttypes>
#include <sstream>

#include "BusToolsFixture.h"
#include "ChannelRecorder.h"
#include "TempDir.h"
#include "TraceFiles.h"
#include "TraceLogic.h"

namespace {
constexpr uint64_t kStart = 1'765'300'000'123'456ull;  // µs since 1970

std::vector<TraceFileFrame> Sample() {
    std::vector<TraceFileFrame> v;
    auto add = [&](uint64_t dt, uint32_t id, std::vector<uint8_t> data, bool tx, bool rtr = false, uint8_t len = 0) {
        TraceFileFrame f;
        f.unixUs = kStart + dt;
        f.id = id;
        f.tx = tx;
        f.rtr = rtr;
        f.len = rtr ? len : static_cast<uint8_t>(data.size());
        for (size_t i = 0; i < data.size(); ++i) f.data[i] = data[i];
        v.push_back(f);
    };
    add(0, 0x000, {0x01, 0x05}, true);
    add(1, 0x185, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}, false);
    add(999'999, 0x7FF, {}, false);
    add(1'000'000, 0x605, {0x40, 0x18, 0x10, 0x01, 0, 0, 0, 0}, true);
    add(61'234'567, 0x185, {}, true, true, 8);
    add(61'234'568, 0x080, {}, false);
    add(3'600'000'001, 0x7E4, {0x5A}, false);
    return v;
}

std::string Write(const TempDir& dir, const std::string& name, const std::vector<TraceFileFrame>& frames) {
    const std::string path = dir.File(name);
    TraceFileWriter w;
    std::string error;
    EXPECT_TRUE(w.Open(path, *TraceFileFormatOf(name), kStart, error)) << error;
    for (const auto& f : frames) EXPECT_TRUE(w.Write(f));
    EXPECT_TRUE(w.Close());
    return path;
}

// One line per frame: "µs id len data rtr tx" (µs relative to the first frame when `relative`).
std::string Describe(const std::vector<TraceFileFrame>& frames, bool relative, bool withDirection = true) {
    std::ostringstream out;
    const uint64_t base = relative && !frames.empty() ? frames.front().unixUs : 0;
    for (const auto& f : frames) {
        char line[128];
        int n = std::snprintf(line, sizeof line, "%" PRIu64 " %03X %u ", f.unixUs - base, f.id, f.len);
        for (int i = 0; i < (f.rtr ? 0 : f.len); ++i) n += std::snprintf(line + n, sizeof line - n, "%02X", f.data[i]);
        std::snprintf(line + n, sizeof line - n, " %d %d\n", f.rtr ? 1 : 0, withDirection ? (f.tx ? 1 : 0) : 0);
        out << line;
    }
    return out.str();
}

// Debian's interpreter, where python3-can lives (a python3 earlier on PATH may lack it).
QString Python() { return QFile::exists("/usr/bin/python3") ? QString("/usr/bin/python3") : QString("python3"); }

bool HavePythonCan() {
    QProcess p;
    p.start(Python(), {"-c", "import can"});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The frames as python-can's LogReader sees them, described like Describe().
std::string PythonCanRead(const std::string& path, bool relative) {
    const char* script = R"(
import sys, can
rows = []
for m in can.LogReader(sys.argv[1]):
    us = round(m.timestamp * 1e6)
    rows.append((us, m))
base = rows[0][0] if rows and sys.argv[2] == '1' else 0
for us, m in rows:
    data = '' if m.is_remote_frame else bytes(m.data).hex().upper()
    print('%d %03X %d %s %d %d' % (us - base, m.arbitration_id, m.dlc, data, int(m.is_remote_frame), int(not m.is_rx)))
)";
    QProcess p;
    p.start(Python(), {"-c", script, QString::fromStdString(path), relative ? "1" : "0"});
    EXPECT_TRUE(p.waitForFinished(60000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    return p.readAllStandardOutput().toStdString();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<TraceFileFrame> Without(std::vector<TraceFileFrame> frames, bool remote) {
    std::erase_if(frames, [remote](const TraceFileFrame& f) { return f.rtr == remote; });
    return frames;
}
}  // namespace

TEST(TraceFiles, EveryFormatReadsBackWhatWasWritten) {
    TempDir dir;
    const auto frames = Sample();
    for (const char* name : {"a.log", "a.trc", "a.asc", "B.LOG"}) {
        const std::string path = Write(dir, name, frames);
        std::vector<TraceFileFrame> back;
        std::string error;
        ASSERT_TRUE(ReadTraceFile(path, back, error)) << name << ": " << error;
        // A PEAK file keeps its start as a day fraction: times are exact relative to the first.
        const bool relative = TraceFileFormatOf(name) == TraceFileFormat::PeakTrc;
        EXPECT_EQ(Describe(back, relative), Describe(frames, relative)) << name;
    }
    EXPECT_EQ(TraceFileFormatOf("x.csv"), std::nullopt);
    std::vector<TraceFileFrame> back;
    std::string error;
    EXPECT_FALSE(ReadTraceFile(dir.File("missing.log"), back, error));
    // A damaged line is reported with its number, and the limit keeps memory bounded.
    WriteBytes(dir.File("bad.log"), "(1.000000) can0 123#11 R\n(2.000000) can0 123#1 R\n");
    EXPECT_FALSE(ReadTraceFile(dir.File("bad.log"), back, error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    uint64_t more = 0;
    ASSERT_TRUE(ReadTraceFile(Write(dir, "c.log", frames), back, error, 3, &more));
    EXPECT_EQ(back.size(), 3u);
    EXPECT_EQ(more, frames.size() - 3);
}

TEST(TraceFiles, PythonCanReadsTheStationsFiles) {
    if (!HavePythonCan()) GTEST_SKIP() << "python3-can is not installed (scripts/setup.sh installs it)";
    TempDir dir;
    const auto frames = Sample();
    EXPECT_EQ(PythonCanRead(Write(dir, "p.log", frames), false), Describe(frames, false));
    // python-can gives ASC times relative to the trigger block's start.
    EXPECT_EQ(PythonCanRead(Write(dir, "p.asc", frames), true), Describe(frames, true));
    // python-can's PEAK reader takes data frames only (it skips "RR" lines) and gives times
    // relative to the file's start.
    const auto data = Without(frames, true);
    EXPECT_EQ(PythonCanRead(Write(dir, "p.trc", frames), true), Describe(data, true));
}

TEST(TraceFiles, CanUtilsLog2ascConvertsTheCandumpLog) {
    const QString log2asc = QStandardPaths::findExecutable("log2asc");
    if (log2asc.isEmpty() || !HavePythonCan()) GTEST_SKIP() << "can-utils or python3-can missing (scripts/setup.sh)";
    TempDir dir;
    const auto frames = Sample();
    const std::string in = Write(dir, "u.log", frames);
    const std::string out = dir.File("u.asc");
    QProcess p;
    p.start(log2asc, {"-I", QString::fromStdString(in), "-O", QString::fromStdString(out), "can0"});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    // Times count from the first frame; the direction survives the conversion.
    EXPECT_EQ(PythonCanRead(out, true), Describe(frames, true));
}

class RecordingTest : public BusToolsFixture {};

TEST_F(RecordingTest, ARecordingKeepsEveryFrameWhileTheViewDropsLines) {
    TempDir dir;
    TraceLogic trace(h.Operator());
    trace.btnStartClick();
    h.Operator().fileAnswers = {dir.File("rec.trc")};
    trace.btnRecordClick();
    ASSERT_TRUE(trace.Recording());
    for (int i = 0; i < 300; ++i) Put(0x200 + (i % 16), {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8)});
    trace.controls.send = {"7FF", "1", {"AB"}};
    trace.btnSendClick();
    AdvanceMs(20);
    EXPECT_EQ(trace.DiscardedFrames(), 99u);
    trace.btnRecordClick();  // stops
    EXPECT_FALSE(trace.Recording());

    std::vector<TraceFileFrame> back;
    std::string error;
    ASSERT_TRUE(ReadTraceFile(dir.File("rec.trc"), back, error)) << error;
    ASSERT_EQ(back.size(), 301u);
    // The station's send came first (it passed the channel at once), then the 300 in bus order.
    EXPECT_TRUE(back[0].tx);
    EXPECT_EQ(back[0].id, 0x7FFu);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(back[1 + i].id, 0x200u + (i % 16)) << i;
        EXPECT_EQ(back[1 + i].data[0], static_cast<uint8_t>(i)) << i;
        EXPECT_FALSE(back[1 + i].tx);
    }
    // Loaded back into the window: every frame is a line again.
    ASSERT_TRUE(trace.LoadFile(dir.File("rec.trc")));
    ASSERT_EQ(trace.List().Size(), 301u);
    EXPECT_EQ(trace.List().At(0).text, "00:00:000      T  ID:7ff  LEN:1  ab ");
    EXPECT_EQ(trace.List().At(300).text.substr(9), "    299  ID:20b  LEN:2  2b 01 ");
    EXPECT_EQ(trace.StatusText(), "TRACE stopped");
    // A file the readers do not know is refused with a message.
    WriteBytes(dir.File("junk.asc"), "date x\nBegin Triggerblock\n  1.0 1 12Z Rx d 1 00\n");
    EXPECT_FALSE(trace.LoadFile(dir.File("junk.asc")));
    EXPECT_EQ(h.Operator().Messages().back().rfind("Trace: ", 0), 0u);
}
