// The automatic mode end to end: quarzel.ini naming a calibration file and the converter, a
// continuity test file and a serial number; the bench on the simulated converter, the test
// against the simulated encoder; exit codes and "Error.txt".

#include <gtest/gtest.h>

#include <QFile>

#include "AutomaticRun.h"
#include "BefTestSupport.h"
#include "BenchSession.h"
#include "CanChannel.h"
#include "ContinuityRun.h"
#include "ConverterFixture.h"

namespace {
// Stands in for the continuity test: starts the encoder's 10 ms position frames, counts them on
// the channel for one second and reports `code` with `text` (0: passed).
class ContinuityStandIn final : public ContinuityRunPort {
public:
    ContinuityStandIn() { SetContinuityRun(this); }
    ~ContinuityStandIn() override { SetContinuityRun(nullptr); }
    bool Start() override {
        started = true;
        cycleCountMode = CycleCountMode();
        startUs = CurrentTimeSource().NowUs();
        Send(0x000, 2, {0x01, 0x01});                                      // NMT start node 1
        Send(0x601, 8, {0x2B, 0x00, 0x62, 0x00, 0x0A, 0x00, 0x00, 0x00});  // cyclic timer 10 ms
        return true;
    }
    static void Send(uint32_t id, uint32_t dlc, std::initializer_list<uint8_t> bytes) {
        tagOPEN_Message msg{};
        msg.id = id;
        msg.dlc = dlc;
        std::copy(bytes.begin(), bytes.end(), msg.data.begin());
        CanWrite(&msg);
    }
    ContinuityResult Result() const override {
        tagOPEN_Message msg{};
        while (CanReadOne(&msg) == 0)
            if (msg.id == 0x181) ++positions;
        if (CurrentTimeSource().NowUs() - startUs < 1'000'000) return {};
        return {true, positions > 0 ? code : 4, positions > 0 ? text : "no answer from encoder"};
    }
    int code = 0;
    std::string text = "no error";
    bool started = false;
    bool cycleCountMode = false;
    uint64_t startUs = 0;
    mutable int positions = 0;
};

const char* kCalibration =
    "Gebertyp: MT 36 CANopen\r\nDeckblatt: Abgleich Linie 2\r\nBemerkungen: \r\n"
    "Motor_speed_[RPM]: 1000\r\nSupply voltage: 24.0\r\nSupply current: 100\r\n";

class AutomaticMode : public ConverterFixture {
protected:
    void SetUp() override {
        ConverterFixture::SetUp();
        folder = h.Folder();
        configPath = h.WriteFile("quarzel.ini", ConverterIni(sim.DevicePath()));
        h.WriteFile("abgleich.txt", kCalibration);
        AppConfiguration().SetValue("[ABGLEICH_INI_DATEI]", folder + "/abgleich.txt");
        testPath = h.WriteFile("kontup.tst", TestFileText());
        session.Link().SetTiming(kAnswering);
    }
    static std::string TestFileText() {
        std::string text;
        for (char c : BefHeader() + Step("B:Marke,Name:Start")) {
            if (c == '\n') text.push_back('\r');
            text.push_back(c);
        }
        return text;
    }
    // Prepares and runs until the program would end; the exit code, or -1 when it did not end.
    int Run(const std::string& test, std::optional<std::string> serial) {
        int exitCode = -1;
        AutomaticRun run(session, folder, [&](int code) { exitCode = code; });
        run.Prepare(test, serial, configPath);
        run.Begin();
        h.Time().RunUntil([&] { return run.Finished(); }, h.Time().NowUs() + 60'000'000);
        return exitCode;
    }
    std::optional<std::string> ErrorFile() const {
        QFile f(QString::fromStdString(folder + "/Error.txt"));
        if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
        return f.readAll().toStdString();
    }

    StationHarness h;
    BenchSession session;
    std::string folder, configPath, testPath;
};
}  // namespace

TEST_F(AutomaticMode, PassAndFailAgainstTheSimulatedEncoderAndConverter) {
    ContinuityStandIn continuity;
    h.WriteFile("Error.txt", "from an earlier run");
    // The continuity log beside the test file would be its notice: an unattended run shows none.
    h.WriteFile("kontup.txt", "continuity log of an earlier run");
    EXPECT_EQ(Run(testPath, "4711"), 0);
    EXPECT_TRUE(h.Operator().calls.empty());
    EXPECT_EQ(ErrorFile(), std::nullopt);  // a pass leaves no old failure behind
    EXPECT_TRUE(continuity.started);
    EXPECT_TRUE(continuity.cycleCountMode);
    EXPECT_GT(continuity.positions, 0);
    EXPECT_EQ(ScriptVariables().Get("SerialNr"), 4711u);
    // Type check, supply on with its current, 1000 rpm, motor on; at the end motor stop, supply off.
    const std::vector<std::string> bench = {
        "\x1e\r", "\x19" "960\r\r", "\x1c\r", "\x1d" "0599\r\r", "\xfc" "40\r01\r\r", "\x09" "00\r01\r\r",
        "\xfc" "40\r01\r\r", "\xfc" "40\r01\r\r", "\x09" "00\r01\r\r", "\xfc" "40\r00\r\r", "\x19" "00\r\r"};
    EXPECT_EQ(sim.Requests(), bench);

    // The same station, a failing test: exit code 1 and the result text in Error.txt.
    continuity.code = 3;
    continuity.text = "code cycle failed";
    const size_t before = sim.Requests().size();
    EXPECT_EQ(Run(testPath, "4712"), 1);
    EXPECT_EQ(ErrorFile(), "code cycle failed");
    EXPECT_EQ(sim.Requests().back(), "\x19" "00\r\r");  // the bench is switched off after a failure too
    EXPECT_GT(sim.Requests().size(), before);
}

TEST_F(AutomaticMode, FailuresBeforeTheTestEndWithTheirText) {
    ContinuityStandIn continuity;
    struct Case {
        std::string test;
        std::optional<std::string> serial;
        std::function<void()> arrange;
        std::string error;
    };
    const std::string missing = folder + "/nix.tst";
    const Case cases[] = {
        {testPath, "12a", {}, "Error. The serial number '12a' is not valid."},
        {testPath, "4294967296", {}, "Error. The serial number '4294967296' is not valid."},
        {missing, "1", {}, "Error. The file '" + missing + "' was not found."},
        {testPath, "1", [&] { AppConfiguration().SetValue("[ABGLEICH_INI_DATEI]", folder + "/weg.txt"); },
         "Error. The file '" + folder + "/weg.txt' was not found."},
        {testPath, "1", [&] { sim.SetSwitches({.type = 5}); }, "Converter could not be initialized"},
        {testPath, "1", [&] { sim.SetSwitches({.overcurrent = true}); }, " !! WARNING !! \n Supply current outside limits"},
        {testPath, "1", [&] { SetContinuityRun(nullptr); }, kNoContinuityTest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        AppConfiguration().SetValue("[ABGLEICH_INI_DATEI]", folder + "/abgleich.txt");
        sim.SetSwitches({});
        SetContinuityRun(&continuity);
        continuity.started = false;
        if (c.arrange) c.arrange();
        EXPECT_EQ(Run(c.test, c.serial), 1);
        EXPECT_EQ(ErrorFile(), c.error);
        EXPECT_FALSE(continuity.started);
    }
    // Without a calibration file the station runs the test without a bench.
    AppConfiguration().SetValue("[ABGLEICH_INI_DATEI]", "");
    SetContinuityRun(&continuity);
    const size_t sent = sim.Requests().size();
    EXPECT_EQ(Run(testPath, std::nullopt), 0);
    EXPECT_EQ(sim.Requests().size(), sent);
}

TEST_F(AutomaticMode, CalibrationStartUp) {
    // The test file named by the calibration file is loaded; a type-3 converter is taken after
    // the type-2 attempt; remarks are shown only when there are some.
    h.WriteFile("abgleich.txt", std::string(kCalibration) + "Testfile_Testing: kontup.tst\r\n");
    sim.SetSwitches({.type = 3});
    EXPECT_TRUE(session.StartCalibration(folder + "/abgleich.txt", configPath));
    EXPECT_TRUE(session.CalibrationMode());
    EXPECT_TRUE(session.Bench().IsActive());
    EXPECT_TRUE(CycleCountMode());
    EXPECT_EQ(CurrentTest().instructions.size(), 1u);
    EXPECT_TRUE(h.Operator().Messages().empty());
    ASSERT_TRUE(session.Calibration());
    EXPECT_EQ(session.Calibration()->encoderType, "MT 36 CANopen");
    EXPECT_EQ(session.Calibration()->motorRpm, 1000);
    EXPECT_EQ(session.Calibration()->supplyVolts, 24.0);

    h.WriteFile("remarks.txt", "Bemerkungen: Geber vorsichtig einspannen\r\nBemerkungen: zweite Zeile\r\n");
    sim.SetSwitches({.silent = true});
    session.Link().SetTiming(kSilent);
    EXPECT_TRUE(session.StartCalibration(folder + "/remarks.txt", configPath));
    EXPECT_FALSE(session.Bench().IsActive());
    EXPECT_FALSE(session.StartCalibration(folder + "/none.txt", configPath));
    EXPECT_TRUE(session.StartCalibration(folder + "/remarks.txt", folder + "/none.ini"));  // read, but no converter
    EXPECT_FALSE(session.Bench().IsActive());
    const std::vector<std::string> messages = {
        "BEMERKUNG: Geber vorsichtig einspannen", "Initialize converter: Converter could not be initialized",
        "INITIALIZATION: File not found\n", "BEMERKUNG: Geber vorsichtig einspannen",
        "INITIALIZATION: Calibration INI file not found\n- " + folder + "/none.ini -"};
    EXPECT_EQ(h.Operator().Messages(), messages);
}
