#include "EchoCommand.h"
#include "Expressions.h"
#include "StationFixture.h"

namespace {
class RunnerTest : public StationFixture {
protected:
    void SetUp() override {
        StationFixture::SetUp();
        EchoCommand::Register();
    }
    static std::string Command(const GridRow& r) { return r[COL_COMMAND]; }
};
}  // namespace

TEST_F(RunnerTest, StartWithoutATestShowsAMessage) {
    EXPECT_FALSE(runner->StartTest());
    EXPECT_EQ(op.Messages(), (std::vector<std::string>{"START: Test file was not loaded"}));
    EXPECT_FALSE(runner->TimerActive());
}

TEST_F(RunnerTest, EmptyCommandAreaEndsAtOnceWithAGreenVerdict) {
    LoadCommands({});
    ASSERT_TRUE(runner->StartTest());
    EXPECT_EQ(view.lastStatus, "active");
    EXPECT_EQ(view.lastColor, StatusColor::Yellow);
    Tick();
    EXPECT_TRUE(runner->finished);
    EXPECT_FALSE(runner->TimerActive());
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][COL_COMMAND], "Test end");
    EXPECT_EQ(rows[0][COL_ASCII], "Error");
    EXPECT_EQ(rows[0][COL_STATUS], "0");
    EXPECT_EQ(view.lastStatus, "finished");
    EXPECT_EQ(view.lastColor, StatusColor::Green);
    EXPECT_EQ(view.ended, RunEnd::Finished);
}

TEST_F(RunnerTest, UnknownCommandGivesOneErrSynRowAndTheTestGoesOn) {
    LoadCommands({"B:Unbekannt,N:1", "B:Marke,Name:After"});
    ASSERT_TRUE(runner->StartTest());
    ASSERT_TRUE(RunToEnd());
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NE(Command(rows[0]).find("B:Unbekannt"), std::string::npos);
    EXPECT_EQ(rows[0][COL_STATUS], "Err Syn");
    EXPECT_EQ(rows[0][COL_RT], "T");
    EXPECT_EQ(rows[0][COL_NO], "0");
    EXPECT_EQ(rows[0][COL_LINE], "15");  // the "[B]" of the first block is line 15
    EXPECT_EQ(CurrentRun().protocolLine.errorText, "");  // the next step started afresh
    EXPECT_EQ(Command(rows[1]).substr(0, 5), "Marke");
    EXPECT_EQ(rows[1][COL_STATUS], "ok");
    EXPECT_EQ(rows[2][COL_STATUS], "1");
    EXPECT_EQ(runner->errorCount, 1);
    // The second step saw the error count in its variable.
    EXPECT_EQ(ScriptVariables().Get("ErrorCount"), 1u);
    EXPECT_EQ(view.restores, 1);
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), "active, Error: 1"), view.statuses.end());
    EXPECT_EQ(view.lastStatus, "finished");
    EXPECT_EQ(view.lastColor, StatusColor::Red);
}

TEST_F(RunnerTest, TicksMoreThan20msEarlyAreIgnored) {
    LoadCommands({"B:Marke,Name:A", "B:Marke,Name:B"}, "2000");
    ASSERT_TRUE(runner->StartTest());
    EXPECT_EQ(runner->IntervalMs(), 2000);
    vt->AdvanceByMs(1970);
    runner->RunnerTick();  // 30 ms early
    EXPECT_EQ(grid.LastWrittenRow(), 0);
    vt->AdvanceByMs(10);
    runner->RunnerTick();  // 20 ms early
    EXPECT_EQ(grid.LastWrittenRow(), 1);
}

TEST_F(RunnerTest, StopThenContinueResumesAWaitingCommand) {
    LoadCommands({"B:Echo,Id:0x605,DLC:2,D:0x0102"});
    CurrentTest().instructions[0].expectedId = "Id:0x585";
    CurrentTest().instructions[0].expectedLen = "DLC:2";
    CurrentTest().instructions[0].expectedData = "D:0x0201";
    ASSERT_TRUE(runner->StartTest());
    Tick();
    const auto sent = DeviceFrames();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].id, 0x605u);
    EXPECT_EQ(sent[0].len, 2);
    EXPECT_EQ(sent[0].data[0], 0x02);
    EXPECT_EQ(sent[0].data[1], 0x01);

    runner->StopTest();
    EXPECT_EQ(view.lastStatus, "stopped");
    vt->AdvanceByMs(5000);
    EXPECT_EQ(grid.LastWrittenRow(), 1);
    DeviceSend(0x585, {0x01, 0x02});
    runner->ContinueTest();
    EXPECT_EQ(view.lastStatus, "active");
    ASSERT_TRUE(RunToEnd());
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][COL_RT], "T");
    EXPECT_EQ(rows[0][COL_ID], "605");
    EXPECT_EQ(rows[0][COL_DLC], "2");
    EXPECT_EQ(rows[0][COL_DATA0], "02");
    EXPECT_EQ(rows[0][COL_DATA0 + 1], "01");
    EXPECT_EQ(rows[0][COL_DATA0 + 2], "");  // only DLC data cells are written
    EXPECT_EQ(Command(rows[1]), "Echo_Res  ");
    EXPECT_EQ(rows[1][COL_RT], "R");
    EXPECT_EQ(rows[1][COL_NO], "");
    EXPECT_EQ(rows[1][COL_LINE], "");
    EXPECT_EQ(rows[1][COL_ID], "585");
    EXPECT_EQ(rows[1][COL_STATUS], "ok");
    EXPECT_EQ(rows[2][COL_STATUS], "0");
}

TEST_F(RunnerTest, AnswerChecksAndCapturesEndToEnd) {
    LoadCommands({"B:Echo,Id:0x605,DLC:0,D:0", "B:Echo,Id:0x605,DLC:0,D:0", "B:Echo,Id:0x605,DLC:0,D:0"});
    auto& ins = CurrentTest().instructions;
    ins[0].expectedId = "Id:0x185";
    ins[0].expectedLen = "DLC:4";
    ins[0].expectedData = "&Pos:Y0:IY1:IY2:IY3:I";
    ins[1].expectedId = "Id:0x185";
    ins[1].expectedLen = "DLC:";
    ins[1].expectedData = "D:Pos";
    ins[2].expectedId = "Id:0x185";
    ins[2].expectedLen = "DLC:4";
    ins[2].expectedData = "D:Pos+1";
    ASSERT_TRUE(runner->StartTest());
    for (int i = 0; i < 3; ++i) {
        Tick();  // sends
        DeviceSend(0x185, {0x10, 0x20, 0x30, 0x40});
        Tick();  // judges
    }
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(ScriptVariables().Get("Pos"), 0x40302010u);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[1][COL_STATUS], "ok");
    EXPECT_EQ(rows[3][COL_STATUS], "ok");
    EXPECT_EQ(Command(rows[5]), "Echo_Res   !falsche Daten  ");
    EXPECT_EQ(rows[5][COL_STATUS], "Err Ans");
    EXPECT_EQ(rows[6][COL_STATUS], "1");
}

TEST_F(RunnerTest, StartResetsAHalfDoneCommand) {
    LoadCommands({"B:Echo,Id:0x605,DLC:0,D:0"});
    ASSERT_TRUE(runner->StartTest());
    Tick();  // sent, waiting for the answer
    runner->StopTest();
    EXPECT_EQ(EchoCommand::Phase(), 1);
    ASSERT_TRUE(runner->StartTest());
    Tick();
    // The new run sends again instead of judging.
    EXPECT_EQ(EchoCommand::Sent(), 2);
    EXPECT_EQ(grid.Row(1)[COL_RT], "T");
    EXPECT_EQ(DeviceFrames().size(), 2u);
}

TEST_F(RunnerTest, JumpRequestToIndexZeroIsNoJump) {
    RegisterCommand(CommandFamily::Misc, "Jump", [](TestInstruction& ins) {
        int32_t to = 0;
        EvalExpression(ins.param1, to);
        CurrentRun().jumpTarget = static_cast<uint32_t>(to);
        CurrentRun().protocolLine.commandText = "Jump";
        return true;
    });
    LoadCommands({"B:Jump,To:0", "B:Marke,Name:A", "B:Jump,To:4", "B:Marke,Name:Skipped", "B:Marke,Name:B"});
    ASSERT_TRUE(runner->StartTest());
    ASSERT_TRUE(RunToEnd(1000));
    std::vector<std::string> no;
    for (const auto& r : Rows()) no.push_back(r[COL_NO]);
    EXPECT_EQ(no, (std::vector<std::string>{"0", "1", "2", "4", ""}));
}

TEST_F(RunnerTest, GoToMarkeCountThreeAndAfreshOnTheNextStart) {
    LoadCommands({"B:Marke,Name:Begin", "B:Marke,Name:Loop", "B:BEF_GoTo_Marke,Name:Loop,Anzahl:3",
                  "B:Marke,Name:End"});
    auto loopRows = [this] {
        int n = 0;
        for (const auto& r : Rows())
            if (Command(r).find("Name:Loop") != std::string::npos && Command(r).substr(0, 5) == "Marke") ++n;
        return n;
    };
    ASSERT_TRUE(runner->StartTest());
    for (int i = 0; i < 5; ++i) Tick();  // Begin, Loop, GoTo (1st jump), Loop, GoTo (2nd jump)
    EXPECT_EQ(LoopCounters().Get("Name:Loop"), 2u);
    // START again in the middle of the loop: the count starts afresh.
    ASSERT_TRUE(runner->StartTest());
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(loopRows(), 4);  // the first pass and three jumps
    EXPECT_EQ(runner->errorCount, 0);
    EXPECT_FALSE(LoopCounters().Find("Name:Loop"));
}

TEST_F(RunnerTest, GridGrowsBy1000RowsWhenFewerThan50Remain) {
    LoadCommands({});
    ASSERT_TRUE(runner->StartTest());
    for (int i = 0; i < 949; ++i) runner->WriteProtocolRow();
    EXPECT_EQ(runner->rowCounter, 950);
    EXPECT_EQ(grid.RowCount(), 1000);
    runner->WriteProtocolRow();
    EXPECT_EQ(runner->rowCounter, 951);
    EXPECT_EQ(grid.RowCount(), 2000);
    EXPECT_EQ(grid.CurrentRow(), 951);
}

TEST_F(RunnerTest, LineColumnOutsideATestShowsZero) {
    LoadCommands({"B:Marke,Name:A"});
    ASSERT_TRUE(runner->StartTest());
    CurrentRun().protocolLine.commandText = "outside";
    runner->WriteProtocolRow();  // currentIndex is -1
    EXPECT_EQ(grid.Row(1)[COL_LINE], "0");
    CurrentRun().currentIndex = 5;  // past the end
    runner->WriteProtocolRow();
    EXPECT_EQ(grid.Row(2)[COL_LINE], "0");
}

TEST_F(RunnerTest, CloseChannelReportsTheOutcome) {
    runner->CloseChannel();
    EXPECT_EQ(channelStatus.lastText, "CAN channel closed");
    CanSetInterface(nullptr);
    runner->CloseChannel();
    EXPECT_EQ(channelStatus.lastText, "Initialization error 12288");
}

TEST_F(RunnerTest, AChannelThatGoesAwayEndsTheRunWithoutVerdict) {
    LoadCommands({"B:Marke,Name:A", "B:Marke,Name:B"});
    ASSERT_TRUE(runner->StartTest());
    Tick();
    CanClose();
    Tick();
    EXPECT_FALSE(runner->TimerActive());
    EXPECT_EQ(view.ended, RunEnd::ChannelLost);
    EXPECT_EQ(grid.Row(2)[COL_COMMAND], "Test end");
    EXPECT_EQ(grid.Row(2)[COL_STATUS], "");
    EXPECT_EQ(runner->rowCounter, 2);
    EXPECT_EQ(view.lastStatus, "active");  // the status label is left as it was
}

TEST_F(RunnerTest, AModalDialogInsideAStepDoesNotLetTicksReenter) {
    int calls = 0;
    RegisterCommand(CommandFamily::Misc, "Modal", [&](TestInstruction&) {
        ++calls;
        // A modal dialog runs an event loop: timer events keep coming while it is open.
        vt->AdvanceByMs(1000);
        CurrentRun().protocolLine.commandText = "Modal";
        return true;
    });
    LoadCommands({"B:Modal", "B:Marke,Name:After"});
    ASSERT_TRUE(runner->StartTest());
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(calls, 1);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(Command(rows[0]), "Modal  ");
    EXPECT_EQ(Command(rows[1]).substr(0, 5), "Marke");
}

TEST_F(RunnerTest, SingleCommandsRunInInteractiveMode) {
    ASSERT_TRUE(CanOpen() || true);
    ScriptVariables().Set("Baudr", 2);
    ASSERT_TRUE(CanOpen());
    auto& rec = CurrentRun().interactiveInstructions[0];
    rec.command = "B:Echo";
    rec.param1 = "Id:0x000";
    rec.param2 = "DLC:2";
    rec.param3 = "D:Y0:1Y1:5Y2:Y3:Y4:Y5:Y6:Y7:";
    runner->InitProtocolGrid();
    runner->RunInteractiveCommand(10);
    EXPECT_TRUE(runner->finished);
    EXPECT_TRUE(runner->TimerActive());
    EXPECT_EQ(grid.Row(1)[COL_RT], "T");
    EXPECT_EQ(grid.Row(1)[COL_LINE], "");  // no test line in interactive mode
    DeviceSend(0x705, {0x7F});
    Tick();  // the continuation judges
    EXPECT_EQ(grid.Row(2)[COL_COMMAND], "Echo_Res  ");
    Tick();  // nothing pending: the timer stops and an empty row follows
    EXPECT_FALSE(runner->TimerActive());
    EXPECT_EQ(runner->rowCounter, 4);
    // WEITER does not restart a finished command.
    runner->ContinueTest();
    EXPECT_FALSE(runner->TimerActive());
}
