// The interactive input step of "&" instructions, end to end through the runner, answered
// through the operator port as quarzel-run answers it.

#include <gtest/gtest.h>

#include "Dispatcher.h"
#include "InteractiveInput.h"
#include "StationHarness.h"

namespace {
const char* kNode =
    "Baudrate: 500\nKnotenadresse: 5\nVendorID: 0x4A\nProduktcode: 0x406\nRevisionsnummer: 1\n"
    "Seriennummer: 0\nEmergencyID: 0x85\nGuardingId: 0x705\nPDO1_ID: 0x185\nPDO2_ID: 0x285\n"
    "SyncId: 0x80\nTimer: 10\n";

class InteractiveInputTest : public ::testing::Test {
protected:
    InteractiveInputTest() { InstallInteractiveInput(); }
    ~InteractiveInputTest() override { SetInteractiveInputStep(nullptr); }

    // Loads the instructions (one command line each) and runs them to the end.
    void RunCommands(const std::vector<std::string>& commands) {
        std::string text = std::string("Interactive test\n") + kNode + "[BEFEHLE]\n";
        for (const auto& c : commands) text += "[B]\n" + c + "\n";
        ASSERT_TRUE(station.Load(text));
        ASSERT_TRUE(station.Run());
    }
    uint32_t Var(const std::string& name) { return ScriptVariables().Get(name); }
    ScriptedOperator& Op() { return station.Operator(); }
    bool AnyErrSynOrUnknown() const {
        for (const auto& row : station.Rows())
            if (row[COL_STATUS] == "Err Syn" || row[COL_COMMAND].find("unbekannter Befehl") != std::string::npos)
                return true;
        return false;
    }

    StationHarness station;
};
}  // namespace

TEST_F(InteractiveInputTest, ValueInParameterOneSetsTheVariableWithoutAsking) {
    RunCommands({"&SerialNr,Value:1234"});
    EXPECT_EQ(Var("SerialNr"), 1234u);
    EXPECT_TRUE(Op().calls.empty());
    const GridRow row = station.Rows().at(0);
    EXPECT_EQ(row[COL_COMMAND].substr(0, 25), "Parameter: SerialNr = 123");
    EXPECT_EQ(row[COL_VALUE], "0x4d2");
    EXPECT_EQ(row[COL_RT], "T");
    EXPECT_EQ(row[COL_STATUS], "ok");
    EXPECT_EQ(station.ErrorCount(), 0);
}

TEST_F(InteractiveInputTest, OperatorIsAskedByParameterNameAndRefusedAnswersAreAskedAgain) {
    Op().valueAnswers = {std::string(""), std::string("keineZahl"), std::string("77")};
    RunCommands({"&Laenge,Frage", "B:Marke,Name:After"});
    EXPECT_EQ(Var("Laenge"), 77u);
    ASSERT_GE(Op().calls.size(), 3u);
    EXPECT_EQ(Op().calls[0].kind, "value");
    EXPECT_EQ(Op().calls[0].text, "Laenge");
    EXPECT_EQ(Op().calls[0].title, "INTERAKTION");
    EXPECT_EQ(Op().Messages(), (std::vector<std::string>{"INTERAKTIVE EINGABE: No value was specified",
                                                         "INTERAKTIVE EINGABE: No number was specified"}));
    ASSERT_EQ(station.Rows().size(), 3u);  // the parameter, the label, "Test end"
    EXPECT_EQ(station.Rows()[0][COL_COMMAND].substr(0, 21), "Parameter: Laenge = 7");
    EXPECT_EQ(station.EndReason(), RunEnd::Finished);
}

TEST_F(InteractiveInputTest, CancelEndsTheRunWithoutAnUnknownCommandRow) {
    Op().valueAnswers = {std::nullopt};
    RunCommands({"B:Marke,Name:Before", "&SerialNr,Frage", "B:Marke,Name:NeverRun"});
    const auto rows = station.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][COL_COMMAND].substr(0, 35), "Input cancelled - no further action");
    EXPECT_FALSE(AnyErrSynOrUnknown());
    EXPECT_EQ(station.ErrorCount(), 0);
    EXPECT_EQ(station.EndReason(), RunEnd::Abandoned);
    EXPECT_FALSE(station.Runner().TimerActive());
    // Time goes on: nothing more runs.
    station.Time().AdvanceByMs(1000);
    EXPECT_EQ(station.Rows().size(), 2u);
}

TEST_F(InteractiveInputTest, TheSameRefusedAnswerTwiceCancels) {
    // An operator that can only repeat itself (quarzel-run's --answer) must not loop for ever.
    Op().valueAnswers = {std::string("nonsense?"), std::string("nonsense?"), std::string("5")};
    RunCommands({"&SerialNr,Frage"});
    EXPECT_EQ(station.EndReason(), RunEnd::Abandoned);
    EXPECT_EQ(Op().valueAnswers.size(), 1u);
}

TEST_F(InteractiveInputTest, BaudrIsTakenInKbitAndReopensTheChannelAtTheNewRate) {
    Op().valueAnswers = {std::string("250")};
    RunCommands({"&Baudr,Frage"});
    EXPECT_EQ(Var("Baudr"), 3u);
    auto iface = std::dynamic_pointer_cast<VirtualCanInterface>(CanCurrentInterface());
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->CurrentBitRate(), 250);
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(station.Rows()[0][COL_COMMAND].substr(0, 22), "Parameter: Baudr = 250");
}

TEST_F(InteractiveInputTest, BaudrNotInTheTableIsAWrongBaudRateRowAndTheTestGoesOn) {
    RunCommands({"&Baudr,Value:300", "B:Marke,Name:After"});
    EXPECT_EQ(Var("Baudr"), 2u);
    const auto rows = station.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][COL_COMMAND].substr(0, 20), "wrong baud rate: 300");
    EXPECT_EQ(rows[0][COL_STATUS], "Err Syn");
    EXPECT_EQ(rows[1][COL_COMMAND].substr(0, 5), "Marke");
    EXPECT_EQ(station.ErrorCount(), 1);
    auto iface = std::dynamic_pointer_cast<VirtualCanInterface>(CanCurrentInterface());
    EXPECT_EQ(iface->CurrentBitRate(), 500);
}

TEST_F(InteractiveInputTest, TimerAndNodeIdFollowTheirRules) {
    RunCommands({"&NodeId,Value:200", "&NodeId,Value:7", "&Timer,Value:40"});
    EXPECT_EQ(Var("NodeId"), 7u);
    EXPECT_EQ(Var("Timer"), 40u);
    EXPECT_EQ(station.Runner().IntervalMs(), 40);
}

TEST_F(InteractiveInputTest, ByteTemplateTurnsTheInstructionIntoAGenFrame) {
    Op().valueAnswers = {std::string("0x030201")};
    RunCommands({"&Pos,Id:0x201,DLC:8,Value:Y0:IY1:IY2:IY3:0x00Y4:0x00Y5:0x00Y6:0x00Y7:0x55"});
    EXPECT_EQ(Var("Pos"), 0x030201u);
    ASSERT_FALSE(station.StationFrames().empty());
    const SeenFrame& f = station.StationFrames().back();
    EXPECT_EQ(f.id, 0x201u);
    EXPECT_EQ(f.data, (std::vector<uint8_t>{0x01, 0x02, 0x03, 0x00, 0x00, 0x00, 0x00, 0x55}));
}

TEST_F(InteractiveInputTest, TemplateWithAnMItemIsRefusedAsASyntaxError) {
    Op().valueAnswers = {std::string("5")};
    RunCommands({"&Pos,Id:0x201,DLC:2,Value:Y0:IY1:MY2:0Y3:0Y4:0Y5:0Y6:0Y7:0"});
    ASSERT_FALSE(Op().Messages().empty());
    EXPECT_EQ(Op().Messages()[0],
              "INTERAKTIVE EINGABE: Syntax error in command string of test file\nContinue with CANCEL");
    EXPECT_TRUE(station.StationFrames().empty());
    EXPECT_EQ(station.EndReason(), RunEnd::Abandoned);
}

TEST_F(InteractiveInputTest, AnEmptyNameIsNotExecuted) {
    RunCommands({"&,Value:1"});
    ASSERT_EQ(station.Rows().size(), 2u);
    EXPECT_EQ(station.Rows()[0][COL_STATUS], "Err Syn");
    EXPECT_EQ(station.ErrorCount(), 1);
}

TEST(Interaction, SerialNumberProposesTheNextNumber) {
    ScriptVariables().Clear();
    TestInstruction instruction;
    instruction.command = "&Serial number";
    ScriptVariables().Set("Serial number", 41);
    Interaction interaction;
    ASSERT_TRUE(interaction.Activate(instruction));
    EXPECT_EQ(interaction.Prompt(), "Serial number");
    EXPECT_TRUE(interaction.IsSerialNumber());
    EXPECT_EQ(interaction.InitialText(), "42");

    ScriptVariables().Set("Serial number", 0);
    ASSERT_TRUE(interaction.Activate(instruction));
    EXPECT_EQ(interaction.InitialText(), "0");

    instruction.command = "&Other";
    ASSERT_TRUE(interaction.Activate(instruction));
    EXPECT_FALSE(interaction.IsSerialNumber());
    EXPECT_EQ(interaction.InitialText(), "0");

    instruction.command = "&";
    EXPECT_FALSE(interaction.Activate(instruction));
    EXPECT_EQ(interaction.Outcome(), static_cast<uint32_t>(INTERACTIVE_NOT_EXECUTED));
    ScriptVariables().Clear();
}

TEST(Interaction, TemplateNeedsOneToFourInputItems) {
    TestInstruction instruction;
    instruction.command = "&X";
    Interaction::Refusal refusal;
    Interaction interaction;
    for (const char* bad : {"Value:Y0:0Y1:0Y2:0Y3:0Y4:0Y5:0Y6:0Y7:0", "Value:Y0:IY1:IY2:IY3:IY4:IY5:0Y6:0Y7:0"}) {
        instruction.param3 = bad;
        interaction.Activate(instruction);
        EXPECT_FALSE(interaction.Confirm("1", refusal)) << bad;
    }
    instruction.param3 = "Value:Y0:IY1:0Y2:0Y3:0Y4:0Y5:0Y6:0Y7:0";
    interaction.Activate(instruction);
    ASSERT_TRUE(interaction.Confirm("0x1ff", refusal));
    EXPECT_EQ(interaction.Outcome(), static_cast<uint32_t>(INTERACTIVE_TEMPLATE_APPLIED));
    EXPECT_EQ(interaction.Instruction().command, "B:Gen");
    EXPECT_EQ(interaction.Instruction().param3, "Value:Y0:0xffY1:0Y2:0Y3:0Y4:0Y5:0Y6:0Y7:0");
    // Without a template the value is plain.
    instruction.param3 = "";
    interaction.Activate(instruction);
    ASSERT_TRUE(interaction.Confirm("12", refusal));
    EXPECT_EQ(interaction.Outcome(), static_cast<uint32_t>(INTERACTIVE_VALUE_SET));
    EXPECT_EQ(interaction.Value(), 12);
}
