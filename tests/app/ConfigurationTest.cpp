#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#ifdef __linux__
#include <csignal>
#include <sys/resource.h>
#endif

#include "Configuration.h"
#include "IniFile.h"
#include "NamedValueList.h"
#include "ScriptedOperator.h"
#include "TempDir.h"

namespace {
std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A complete file: every key with the value "v<n>", lines ended by `eol`.
std::string FullIni(const std::string& eol, const std::vector<std::string>& skip = {}) {
    std::string text;
    int n = 0;
    for (const auto& entry : IniKeyTable()) {
        ++n;
        if (std::find(skip.begin(), skip.end(), entry.key) != skip.end()) continue;
        std::string value = "v" + std::to_string(n);
        if (entry.key == "[CAN_TREIBER_DELAY]") value = "300";
        if (entry.key == "[LAST_SERIAL]") value = "41";
        text += entry.key + eol + value + eol;
    }
    return text;
}

class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScriptVariables().Clear();
        config.Reset();
        path = dir.File("quarzel.ini");
    }
    void TearDown() override { ScriptVariables().Clear(); }

    TempDir dir;
    ScriptedOperator op;
    Configuration config;
    std::string path;
};
}  // namespace

TEST(FindIniValueTest, LineEndsAndKeysInsideValues) {
    std::string v;
    EXPECT_TRUE(FindIniValue("[A]\r\nalpha\r\n[B]\r\nbeta\r\n", "[B]", v));
    EXPECT_EQ(v, "beta");
    // LF-only lines end the value at the LF, not at the end of the text.
    EXPECT_TRUE(FindIniValue("[A]\nalpha\n[B]\nbeta\n", "[A]", v));
    EXPECT_EQ(v, "alpha");
    EXPECT_TRUE(FindIniValue("[A]\nlast line", "[A]", v));
    EXPECT_EQ(v, "last line");
    // A key that also stands in an earlier value is found there: its value is the next line.
    EXPECT_TRUE(FindIniValue("[X]\r\nsee [B] below\r\n[B]\r\nbeta\r\n", "[B]", v));
    EXPECT_EQ(v, "[B]");
    EXPECT_FALSE(FindIniValue("[A]\r\nalpha\r\n", "[B]", v));
    EXPECT_EQ(v, "");
    EXPECT_FALSE(FindIniValue("[a]\r\nalpha\r\n", "[A]", v));  // case-sensitive
}

TEST_F(ConfigurationTest, ReadsEveryKeyFromCrLfAndLfFiles) {
    for (const std::string eol : {"\r\n", "\n"}) {
        WriteAll(path, FullIni(eol));
        ASSERT_TRUE(ReadConfiguration(path, config));
        EXPECT_EQ(config.Value("[PRG_NAME]"), "v1");
        EXPECT_EQ(config.Value("[LOG_DIR]"), "v9");
        EXPECT_EQ(config.Value("[TEST_DAT_10]"), "v28");
        EXPECT_EQ(config.Value("[TRACE_REMOTE_SENDEN]"), "v" + std::to_string(IniKeyTable().size()));
        EXPECT_EQ(ScriptVariables().Get("CANInitDelay"), 300u);
        EXPECT_EQ(ScriptVariables().Get("SerialNr"), 41u);
        EXPECT_TRUE(config.MissingKeys().empty());
        EXPECT_TRUE(op.Messages().empty());
    }
}

TEST_F(ConfigurationTest, MissingKeysGetDefaultsOrAMessage) {
    WriteAll(path, FullIni("\r\n", {"[CAN_TREIBER_DELAY]", "[STARTUP_MINIMIZED]", "[BUS_SENDEN]"}));
    ASSERT_TRUE(ReadConfiguration(path, config));
    EXPECT_EQ(config.Value("[CAN_TREIBER_DELAY]"), "250");
    EXPECT_EQ(ScriptVariables().Get("CANInitDelay"), 250u);
    EXPECT_EQ(config.Value("[STARTUP_MINIMIZED]"), "false");
    EXPECT_EQ(config.Value("[BUS_SENDEN]"), "");
    EXPECT_TRUE(op.Messages().empty());  // none of them is required

    WriteAll(path, FullIni("\r\n", {"[LOG_DIR]", "[EDS_DAT_3]"}));
    ASSERT_TRUE(ReadConfiguration(path, config));
    EXPECT_EQ(config.MissingKeys(), (std::vector<std::string>{"[LOG_DIR]", "[EDS_DAT_3]"}));
    EXPECT_EQ(op.Messages(), (std::vector<std::string>{"INITIALIZATION: Error reading INI file"}));
    EXPECT_EQ(config.Value("[LOG_DIR]"), "");
}

TEST_F(ConfigurationTest, MissingFileIsReportedAndNeverWritten) {
    EXPECT_FALSE(ReadConfiguration(path, config));
    EXPECT_EQ(op.Messages(), (std::vector<std::string>{"INITIALIZATION: INI file not found"}));
    EXPECT_FALSE(config.WasRead());
    EXPECT_FALSE(WriteConfiguration(config));
    EXPECT_FALSE(std::ifstream(path).good());
}

TEST_F(ConfigurationTest, LongValuesAreCutToTheirCapacity) {
    std::string text = FullIni("\r\n", {"[KONT_AUFLOES]", "[LOG_DIR]", "[BUS_REMOTE_SENDEN]"});
    text += "[KONT_AUFLOES]\r\n" + std::string(100, '7') + "\r\n";
    text += "[LOG_DIR]\r\n" + std::string(400, 'd') + "\r\n";
    text += "[BUS_REMOTE_SENDEN]\r\n" + std::string(50, 't') + "\r\n";
    WriteAll(path, text);
    ASSERT_TRUE(ReadConfiguration(path, config));
    EXPECT_EQ(config.Value("[KONT_AUFLOES]"), std::string(19, '7'));
    EXPECT_EQ(config.Value("[LOG_DIR]"), std::string(259, 'd'));
    EXPECT_EQ(config.Value("[BUS_REMOTE_SENDEN]"), std::string(5, 't'));
    config.SetValue("[PRG_NAME]", std::string(300, 'p'));
    EXPECT_EQ(config.Value("[PRG_NAME]").size(), 255u);
}

TEST_F(ConfigurationTest, WritesEveryKeyInOrderWithCrLf) {
    WriteAll(path, FullIni("\n"));
    ASSERT_TRUE(ReadConfiguration(path, config));
    ScriptVariables().Set("SerialNr", 42);
    ScriptVariables().Set("CANInitDelay", 100);
    config.SetValue("[LOG_DIR]", "C:\\logs");
    ASSERT_TRUE(WriteConfiguration(config));
    const std::string text = ReadAll(path);

    std::vector<std::string> keys;
    std::istringstream in(text);
    std::string line;
    size_t lines = 0;
    while (std::getline(in, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r') << "line " << lines;
        if (lines++ % 2 == 0) keys.push_back(line.substr(0, line.size() - 1));
    }
    EXPECT_EQ(keys, IniWriteOrder());
    EXPECT_EQ(keys.front(), "[PRG_NAME]");
    EXPECT_EQ(keys.back(), "[ABGLEICH_INI_DATEI]");
    EXPECT_EQ(keys[18], "[TEST_DAT_1]");  // after the continuity keys and [LAST_SERIAL]
    EXPECT_NE(text.find("[LAST_SERIAL]\r\n42\r\n"), std::string::npos);
    EXPECT_NE(text.find("[CAN_TREIBER_DELAY]\r\n100\r\n"), std::string::npos);
    EXPECT_NE(text.find("[LOG_DIR]\r\nC:\\logs\r\n"), std::string::npos);

    // Read back: the same values.
    Configuration again;
    ASSERT_TRUE(ReadConfiguration(path, again));
    for (const auto& entry : IniKeyTable()) {
        if (entry.key == "[LAST_SERIAL]" || entry.key == "[CAN_TREIBER_DELAY]") continue;
        EXPECT_EQ(again.Value(entry.key), config.Value(entry.key)) << entry.key;
    }
    EXPECT_EQ(again.Value("[LAST_SERIAL]"), "42");
}

TEST_F(ConfigurationTest, InterruptedWriteLeavesTheOldFile) {
#ifdef __linux__
    const std::string original = FullIni("\r\n");
    WriteAll(path, original);
    ASSERT_TRUE(ReadConfiguration(path, config));
    config.SetValue("[LOG_DIR]", std::string(250, 'x'));
    // A full disk: writes beyond 200 bytes fail.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 200;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteConfiguration(config);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadAll(path), original);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(QString::fromStdString(dir.Path())).entryList(QDir::Files).size(), 1);
#else
    GTEST_SKIP() << "needs a file size limit";
#endif
}
