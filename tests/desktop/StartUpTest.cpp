// Start-up and shutdown of the desktop station, without its windows.

#include <gtest/gtest.h>

#include <QFileInfo>

#include "DesktopStation.h"
#include "DesktopSupport.h"
#include "PipeClient.h"
#include "ScriptedOperator.h"
#include "TempDir.h"
#include "VirtualTimeSource.h"

namespace {
class Shell final : public StartUpShell {
public:
    explicit Shell(const ControlPipe* pipe = nullptr) : pipe_(pipe) {}
    void SetCaption(const std::string& text) override { caption = text; }
    void ApplyLanguageTables() override {
        ++languageApplied;
        pipeExistedAtLanguage = pipe_ && pipe_->IsListening();
        testLoadedAtLanguage = CurrentTest().testLoaded;
    }
    void SetPipe(const ControlPipe* pipe) { pipe_ = pipe; }
    std::string caption;
    int languageApplied = 0;
    bool pipeExistedAtLanguage = false;
    bool testLoadedAtLanguage = true;

private:
    const ControlPipe* pipe_;
};

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        startDir_ = QDir::currentPath();
        ResetDesktopState();
        RegisterTestInterfaceKinds();
        TestBus() = VirtualBus::Create();
        QDir::setCurrent(QString::fromStdString(dir.Path()));
        SetStationView(&view);
    }
    void TearDown() override {
        station.reset();
        SetStationView(nullptr);
        ResetDesktopState();
        DesktopHooks() = StartUpHooks{};
        TestBus().reset();
        QDir::setCurrent(startDir_);
    }
    void WriteIni(const std::map<std::string, std::string>& values = {}) {
        ASSERT_TRUE(WriteBytes(dir.File("quarzel.ini"), IniText(values)));
    }
    StartUpResult Start(const std::vector<std::string>& arguments = {}) {
        station = std::make_unique<DesktopStation>(shell, dir.File("ctl"));
        shell.SetPipe(&station->Pipe());
        return station->StartUp(arguments);
    }
    std::string Ini() { return ReadBytes(dir.File("quarzel.ini")); }
    bool Asked(const std::string& title) const {
        for (const auto& c : op.calls)
            if (c.kind == "yesno" && c.title == title) return true;
        return false;
    }

    ScopedVirtualTime vt;
    TempDir dir;
    ScriptedOperator op;
    RecordingChannelStatus canStatus;
    RecordingStationView view;
    Shell shell;
    std::unique_ptr<DesktopStation> station;

private:
    QString startDir_;
};
}  // namespace

TEST_F(StartUpTest, PreparesTheWindowInTheSpecifiedOrder) {
    WriteIni({{"[CAN_TREIBER_TYP]", "testbus"}});
    const StartUpResult r = Start();
    EXPECT_TRUE(r.proceed);
    EXPECT_FALSE(r.minimized);
    EXPECT_TRUE(op.calls.empty()) << op.Messages().size();
    EXPECT_EQ(shell.caption, "Quarzel Version 2.45.0 for testbus");
    EXPECT_EQ(shell.languageApplied, 1);
    EXPECT_TRUE(shell.pipeExistedAtLanguage);
    EXPECT_EQ(ScriptVariables().Get("TimerLong"), 2000u);
    EXPECT_EQ(ScriptVariables().Get("SerialNr"), 41u);
    EXPECT_EQ(canStatus.lastText, "CAN is not active");
    EXPECT_EQ(view.status, "no test file loaded");
    EXPECT_EQ(view.color_, StatusColor::Default);
    EXPECT_EQ(view.statusBar, "no test file loaded");
    EXPECT_EQ(view.historyShown, 1);
    EXPECT_GE(view.panelRefreshes, 1);
    EXPECT_TRUE(station->Runner().finished);
    EXPECT_TRUE(CanCurrentInterface());
    // The channel the driver reports replaces the configured one.
    EXPECT_EQ(AppConfiguration().Value("[CAN_TREIBER_CHANNEL]"), "1");
}

TEST_F(StartUpTest, MissingIniFileIsReportedAndNeverWritten) {
    op.yesNoAnswers = {true};
    const StartUpResult r = Start();
    EXPECT_TRUE(r.proceed);
    ASSERT_FALSE(op.calls.empty());
    EXPECT_EQ(op.calls[0].kind, "message");
    EXPECT_EQ(op.calls[0].text, "INI file not found");
    EXPECT_EQ(op.calls[0].title, "INITIALIZATION");
    station->ShutDown();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("quarzel.ini"))));
}

TEST_F(StartUpTest, VersionMismatchNoEndsTheProgramWithoutWritingTheFile) {
    WriteIni({{"[SW_VERSION]", "2.40.1"}});
    const std::string before = Ini();
    op.yesNoAnswers = {false};
    const StartUpResult r = Start();
    EXPECT_FALSE(r.proceed);
    ASSERT_EQ(op.calls.size(), 1u);
    EXPECT_EQ(op.calls[0].title, "INITIALISIERUNG");
    EXPECT_EQ(op.calls[0].text,
              "Software version in INI file\ndoes not match program version\nVersion 2.45.0\n Programm fortsetzen ?");
    // Start-up stopped before the hardware.
    EXPECT_FALSE(CanCurrentInterface());
    station->ShutDown();
    EXPECT_EQ(Ini(), before);
}

TEST_F(StartUpTest, VersionMismatchYesGoesOnAndWritesThisVersionBack) {
    WriteIni({{"[SW_VERSION]", "2.40.1"}});
    op.yesNoAnswers = {true};
    EXPECT_TRUE(Start().proceed);
    EXPECT_TRUE(Asked("INITIALISIERUNG"));
    EXPECT_TRUE(CanCurrentInterface());
    station->ShutDown();
    EXPECT_EQ(IniValue(Ini(), "[SW_VERSION]"), "2.45.0");
}

TEST_F(StartUpTest, OptionMinimizedOverridesTheConfiguration) {
    WriteIni({{"[STARTUP_MINIMIZED]", "false"}});
    EXPECT_TRUE(Start({"minimized=true"}).minimized);
    station.reset();
    WriteIni({{"[STARTUP_MINIMIZED]", "true"}});
    EXPECT_FALSE(Start({"minimized=false"}).minimized);
    station.reset();
    EXPECT_TRUE(Start().minimized);
}

TEST_F(StartUpTest, HardwareThatIsNotThereIsReportedWithItsId) {
    WriteIni({{"[CAN_TREIBER_TYP]", "absent"}, {"[CAN_TREIBER_CHANNEL]", "3"}});
    Start({"hwid=0x2a"});
    EXPECT_EQ(op.Messages(), std::vector<std::string>{"Error: CAN hardware ID '0x2A' was not found."});
    EXPECT_FALSE(CanCurrentInterface());
    EXPECT_EQ(AppConfiguration().Value("[CAN_TREIBER_CHANNEL]"), "3");
}

TEST_F(StartUpTest, WritesTheConfigurationAtShutdownWithTheVariablesOfTheRun) {
    WriteIni({{"[LOG_DIR]", "protokolle"}, {"[TEST_DAT_1]", "/t/a.tst"}});
    Start();
    ScriptVariables().Set("SerialNr", 4711);
    ScriptVariables().Set("CANInitDelay", 10);
    EXPECT_EQ(station->ShutDown(), 0);
    const std::string ini = Ini();
    EXPECT_EQ(IniValue(ini, "[LAST_SERIAL]"), "4711");
    EXPECT_EQ(IniValue(ini, "[CAN_TREIBER_DELAY]"), "10");
    EXPECT_EQ(IniValue(ini, "[LOG_DIR]"), "protokolle");
    EXPECT_EQ(IniValue(ini, "[TEST_DAT_1]"), "/t/a.tst");
    EXPECT_EQ(ini.rfind("[PRG_NAME]\r\nQuarzel\r\n", 0), 0u);
    // Written once: a second shutdown changes nothing.
    ScriptVariables().Set("SerialNr", 1);
    station->ShutDown();
    EXPECT_EQ(IniValue(Ini(), "[LAST_SERIAL]"), "4711");
    EXPECT_FALSE(CanActive);
}

TEST_F(StartUpTest, ShutdownWritesIntoTheStartFolderAfterTheWorkingFolderChanged) {
    WriteIni();
    Start();
    TempDir elsewhere;
    ASSERT_TRUE(WriteBytes(elsewhere.File("t.tst"), TestFileText({"B:Marke,Name:A"})));
    ASSERT_TRUE(OpenTestFile(elsewhere.File("t.tst"), true));
    station->ShutDown();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(elsewhere.File("quarzel.ini"))));
    EXPECT_EQ(IniValue(Ini(), "[TEST_DAT_1]"), QFileInfo(QString::fromStdString(elsewhere.File("t.tst"))).absoluteFilePath().toStdString());
}

TEST_F(StartUpTest, BaseFileIsLoadedAndShownReady) {
    ASSERT_TRUE(WriteBytes(dir.File("base.tst"), TestFileText({"B:Marke,Name:A"})));
    WriteIni({{"[BASIS_DAT]", "base.tst"}});
    Start();
    EXPECT_TRUE(CurrentTest().testLoaded);
    EXPECT_FALSE(shell.testLoadedAtLanguage);
    EXPECT_EQ(view.status, "ready");
    EXPECT_EQ(view.color_, StatusColor::Green);
    EXPECT_EQ(view.statusBar, QFileInfo(QString::fromStdString(dir.File("base.tst"))).absoluteFilePath().toStdString());
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 5u);
}

TEST_F(StartUpTest, BaseFileThatFailsIsReportedAfterTheLoadersMessage) {
    WriteIni({{"[BASIS_DAT]", "missing.tst"}});
    Start();
    const auto messages = op.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("Loading test file: ", 0), 0u);
    EXPECT_EQ(messages[1], "INITIALISIERUNG: Base file could not be loaded\n");
    EXPECT_FALSE(CurrentTest().testLoaded);
    EXPECT_EQ(view.status, "no test file loaded");
}

TEST_F(StartUpTest, AutomaticModeSkipsTheBaseFileStopsTheRemotePollAndHandsOver) {
    ASSERT_TRUE(WriteBytes(dir.File("base.tst"), TestFileText({"B:Marke,Name:A"})));
    WriteIni({{"[BASIS_DAT]", "base.tst"}});
    std::optional<DesktopOptions> handed;
    DesktopHooks().startAutomaticMode = [&](const DesktopOptions& o) { handed = o; };
    Start({"testfile=run.tst", "serialnbr=77"});
    EXPECT_FALSE(CurrentTest().testLoaded);
    EXPECT_FALSE(station->ControlTimer().IsActive());
    ASSERT_TRUE(handed);
    EXPECT_EQ(handed->serialNumber, std::optional<std::string>("77"));
    // The pipe exists but is not read.
    PipeClient client(station->Pipe().ServerName());
    client.Write("X\r");
    vt->AdvanceByMs(500);
    EXPECT_EQ(client.Received(), "");
}

TEST_F(StartUpTest, CalibrationFileReadReplacesTheBaseFile) {
    ASSERT_TRUE(WriteBytes(dir.File("base.tst"), TestFileText({"B:Marke,Name:A"})));
    WriteIni({{"[BASIS_DAT]", "base.tst"}});
    std::string read;
    DesktopHooks().readCalibrationFile = [&](const std::string& path) {
        read = path;
        return true;
    };
    Start({"testfile=Abgleich.ini"});
    EXPECT_EQ(read, "Abgleich.ini");
    EXPECT_FALSE(CurrentTest().testLoaded);
    EXPECT_TRUE(station->ControlTimer().IsActive());
}

TEST_F(StartUpTest, RemoteControlIsPolledEvery100Milliseconds) {
    WriteIni();
    Start();
    PipeClient client(station->Pipe().ServerName());
    ASSERT_TRUE(client.Connected());
    client.Write("STATUS\r");
    vt->AdvanceByMs(99);
    EXPECT_EQ(client.Received(), "");
    vt->AdvanceByMs(1);
    EXPECT_EQ(client.Received(), "OK\r");
}

TEST_F(StartUpTest, IniWithMissingKeysKeepsWhatItHas) {
    WriteIni({{"[KONT_MASKBITS]", "<missing>"}, {"[CAN_TREIBER_DELAY]", "<missing>"}, {"[LOG_DIR]", "logs"}});
    Start();
    EXPECT_EQ(op.Messages(), std::vector<std::string>{"INITIALIZATION: Error reading INI file"});
    EXPECT_EQ(ScriptVariables().Get("CANInitDelay"), 250u);
    station->ShutDown();
    EXPECT_EQ(IniValue(Ini(), "[LOG_DIR]"), "logs");
    EXPECT_EQ(IniValue(Ini(), "[KONT_MASKBITS]"), "");
}

TEST_F(StartUpTest, IniWithLfOnlyLinesOrGarbageStartsWithoutCrashing) {
    std::string lf = IniText();
    std::string plain;
    for (char c : lf)
        if (c != '\r') plain.push_back(c);
    ASSERT_TRUE(WriteBytes(dir.File("quarzel.ini"), plain));
    op.yesNoAnswers = {true, true};
    EXPECT_TRUE(Start().proceed);
    EXPECT_EQ(AppConfiguration().Value("[CAN_TREIBER_TYP]"), "testbus");
    station.reset();
    ResetDesktopState();

    std::string garbage(4096, '\0');
    for (size_t k = 0; k < garbage.size(); ++k) garbage[k] = static_cast<char>((k * 131 + 7) % 256);
    ASSERT_TRUE(WriteBytes(dir.File("quarzel.ini"), garbage));
    EXPECT_TRUE(Start().proceed);
    const auto messages = op.Messages();
    EXPECT_NE(std::find(messages.begin(), messages.end(), "INITIALIZATION: Error reading INI file"), messages.end());
    station->ShutDown();
}
