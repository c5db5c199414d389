#include <gtest/gtest.h>

#include <QCoreApplication>

#include "BefBeenden.h"
#include "BefBench.h"
#include "BefExecute.h"
#include "BefTestSupport.h"

namespace {
std::string Mark(const std::string& name) { return Step("B:Marke,Name:" + name); }

// A converter that records what the bench commands ask of it.
class FakeConverter final : public BenchConverter {
public:
    FakeConverter() { SetBenchConverter(this); }
    ~FakeConverter() override { SetBenchConverter(nullptr); }
    bool IsActive() const override { return true; }
    BenchOutcome SetSupply(double volts, double limitMa) override {
        calls.push_back("supply " + std::to_string(volts) + " " + std::to_string(limitMa));
        return {};
    }
    BenchOutcome SetMotorSpeed(double rpm, bool ccw) override {
        calls.push_back("speed " + std::to_string(rpm) + (ccw ? " ccw" : " cw"));
        return {};
    }
    BenchOutcome SetMotorMode(MotorMode mode) override {
        calls.push_back("mode " + std::to_string(static_cast<int>(mode)));
        return {};
    }
    std::vector<std::string> calls;
};

// QProcess wants an application object for its notifiers.
void EnsureApplication() {
    static int argc = 1;
    static char name[] = "test_commands_bef";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}
}  // namespace

TEST(BefBench, WithoutConverterTheOperatorIsAskedToSetTheBench) {
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Ub,U:24,I:150.5") + Step("B:BEF_Ub,U:0,I:0") +
                       Step("B:BEF_Drehzahl,Speed:1000,Dir:CW") + Step("B:BEF_Drehzahl,Speed:9.5,Dir:CCW") +
                       Step("B:BEF_Motor,Mode:Auto") + Step("B:BEF_Motor,Mode:Stop") + Step("B:BEF_Kontup")));
    ASSERT_TRUE(h.Run());
    const std::vector<std::string> expected = {
        "BEF_Ub    Voltage: 24.0 V Current: 150.5 mA", "BEF_Ub    Voltage: 0.0 V Current: 0.0 mA",
        "BEF_Drehzahl    Speed: 1000.0 RPM",            "BEF_Drehzahl    Speed:  9.5 RPM",
        "BEF_Motor  Auto",                              "BEF_Motor  Stop",
        "BEF_Kontup"};
    EXPECT_EQ(StepCommands(h), expected);
    EXPECT_EQ(h.ErrorCount(), 0);
    const std::vector<std::string> messages = {
        "VERSORGUNGSSPANNUNG AUSSCHALTEN: Converter is not active\nSupply voltage must be switched ON manually\n"
        "                  24.0 V",
        "VERSORGUNGSSPANNUNG AUSSCHALTEN: Converter is not active\nSupply voltage must be switched OFF manually\n",
        "MOTORDREHZAHL EINSTELLEN: Converter is not active\nMotor speed must be set manually\n1000.0 U/min, "
        "Coderichtung CW",
        "MOTORDREHZAHL EINSTELLEN: Converter is not active\nMotor speed must be set manually\n 9.5 U/min, "
        "Coderichtung CCW",
        "MOTORDREHZAHL EINSTELLEN: Converter is not active\nMotor control must be set to ON manually\n",
        "MOTORDREHZAHL EINSTELLEN: Converter is not active\nMotor control must be set to STOP manually\n"};
    EXPECT_EQ(h.Operator().Messages(), messages);
}

TEST(BefBench, ParameterChecks) {
    StationHarness h;
    FakeConverter converter;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Drehzahl,Speed:1000,Dir:cw") + Step("B:BEF_Drehzahl,Speed:x,Dir:CW") +
                       Step("B:BEF_Ub,U:abc,I:") + Step("B:BEF_Motor,Mode:auto") +
                       Step("B:BEF_Drehzahl,Speed:1000,Dir:CCW") + Step("B:BEF_Ub,U:5.5,I:20") +
                       Step("B:BEF_Motor,Mode:Man")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].command, "BEF_Drehzahl    Speed: 1000.0 RPM    !Syntax error direction");
    EXPECT_EQ(rows[0].status, "Err Syn");
    EXPECT_EQ(rows[1].command, "BEF_Drehzahl      !Syntax error speed");
    EXPECT_EQ(rows[1].status, "Err Syn");
    EXPECT_EQ(rows[2].command, "BEF_Ub      !Syntax error voltage    !Syntax error current");
    EXPECT_EQ(rows[3].command, "BEF_Motor  auto    !Syntax error");
    EXPECT_EQ(rows[3].status, "Err Syn");
    EXPECT_EQ(h.ErrorCount(), 4);
    // Only the valid steps reach the converter; nothing is asked of the operator.
    const std::vector<std::string> calls = {"speed 1000.000000 ccw", "supply 5.500000 20.000000", "mode 1"};
    EXPECT_EQ(converter.calls, calls);
    EXPECT_TRUE(h.Operator().Messages().empty());
}

TEST(BefBeenden, EndsTheProgramWithItsCode) {
    EXPECT_EQ(ProgramExitStatus(0), 0);
    EXPECT_EQ(ProgramExitStatus(255), 255);
    EXPECT_EQ(ProgramExitStatus(256), 255);  // would read as 0, success
    EXPECT_EQ(ProgramExitStatus(-1), 255);
    EXPECT_EQ(ProgramExitStatus(1 << 20), 255);

    StationHarness h;
    ScriptVariables().Set("Result", 7);
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Beenden,Code:&Result") + Mark("after")));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::ProgramEnd);
    EXPECT_EQ(h.ExitCode(), 7);
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(StepCommands(h), std::vector<std::string>{"BEF_Beenden  7"});

    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Beenden,Code:256")));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::ProgramEnd);
    EXPECT_EQ(h.ExitCode(), 255);
}

TEST(BefBeenden, UnknownVariableOrTextDoesNotEndTheProgram) {
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Beenden,Code:&NoSuchVariable") + Step("B:BEF_Beenden,Code:3x") +
                       Mark("after")));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::Finished);
    EXPECT_TRUE(CanActive);
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].status, "Err Syn");
    EXPECT_EQ(rows[1].status, "Err Syn");
    EXPECT_EQ(rows[2].command, "Marke  B:Marke  Name:after");
}

TEST(BefShowSerNr, ReadsTheSerialNumberObjectAndShowsIt) {
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Show_SerNr") + Mark("after")));
    ASSERT_TRUE(h.Run());
    ASSERT_FALSE(h.StationFrames().empty());
    const SeenFrame& request = h.StationFrames()[0];
    EXPECT_EQ(request.id, 0x601u);
    EXPECT_EQ(request.data, (std::vector<uint8_t>{0x40, 0x0B, 0x65, 0x00, 0, 0, 0, 0}));
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].command, "BEF_Show_SerNr 650b 0");
    EXPECT_EQ(rows[0].rt, "T");
    EXPECT_EQ(rows[1].command, "SDO_UpExp_Res 650b 0");
    EXPECT_EQ(rows[1].rt, "R");
    EXPECT_EQ(rows[1].value, "305419896");
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{"Seriennummer: 305419896"});
}

TEST(BefShowSerNr, SilentDeviceIsAnSdoError) {
    StationHarness h(EncoderOptions{}, false);
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Show_SerNr")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].command, "SDO_UpExp_Res  !keine Antwort");
    EXPECT_EQ(rows[1].status, "SDO Error");
    EXPECT_TRUE(h.Operator().Messages().empty());
}

TEST(BefExecuteExt, ShowsTheTerminationStatusBytes) {
    EnsureApplication();
    StationHarness h;
    const std::string helper = BEF_EXIT_HELPER;
    // The argument with blanks and quotes arrives as one argument (else the helper exits 103).
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Execute_Ext,Keep:1,Prog:" + helper + ",Arg:3") +
                       Step("B:BEF_Execute_Ext,Keep:0,Prog:" + helper + ",Arg:5 \"a b\" 'c'") +
                       Step("B:SDO_UpInit,Index:1018,Sub:1", "Value:0x3A2")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].command, "BEF_Execute_Ext  " + helper + "  3");
    EXPECT_EQ(rows[0].value, "");
    EXPECT_EQ(rows[1].value, "3, 0");
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(rows[1].rt, "T");
    EXPECT_EQ(rows[3].value, "5, 0");
    // The channel closed for the second program is open again for the next step.
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(rows[5].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(BefExecuteExt, ProgramThatCannotStartAndBadFlag) {
    EnsureApplication();
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Execute_Ext,Keep:0,Prog:/no/such/program,Arg:1") +
                       Step("B:BEF_Execute_Ext,Keep:no,Prog:/bin/true,Arg:") + Mark("after")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].command, "BEF_Execute_Ext  /no/such/program  1");
    EXPECT_EQ(rows[0].status, "Err Ans");
    EXPECT_EQ(rows[1].status, "Err Syn");
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(rows[2].command, "Marke  B:Marke  Name:after");
}

TEST(BefExecuteExt, HangingProgramIsEndedByStop) {
    EnsureApplication();
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Step(std::string("B:BEF_Execute_Ext,Keep:0,Prog:") + BEF_EXIT_HELPER + ",Arg:hang") +
                       Mark("after")));
    EXPECT_FALSE(h.Run(500));  // still waiting; the poll timer keeps ticking without blocking
    EXPECT_TRUE(ExternalProgramRunning());
    EXPECT_FALSE(CanActive);
    StopExternalProgram(true);
    EXPECT_FALSE(ExternalProgramRunning());
    EXPECT_TRUE(CanActive);
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].command, "BEF_Execute_Ext    !Program stopped");
    EXPECT_EQ(rows[1].status, "Err Ans");
    // The run stays paused after the stop.
    EXPECT_FALSE(h.Runner().TimerActive());
}
