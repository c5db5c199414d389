#include <gtest/gtest.h>

#include <algorithm>

#include "NmtLssFixture.h"

TEST(NmtCommands, StartWithoutNodeIdAddressesAllNodes) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Start")));
    ASSERT_TRUE(h.Run());
    ASSERT_EQ(h.StationFrames().size(), 1u);
    EXPECT_EQ(h.StationFrames()[0].id, 0x000u);
    EXPECT_FALSE(h.StationFrames()[0].rtr);
    EXPECT_EQ(h.StationFrames()[0].data, Bytes({0x01, 0x00}));
    EXPECT_EQ(h.Device().State(), NmtState::Operational);

    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].command, "NMT_Start");
    EXPECT_EQ(rows[0].rt, "T");
    EXPECT_EQ(rows[0].id, "000");
    EXPECT_EQ(rows[0].dlc, "2");
    EXPECT_EQ(rows[0].data, "01 00");
    EXPECT_EQ(rows[0].value, "0x00");
    EXPECT_EQ(rows[0].status, "ok");
    // No answer comes to a start, and an empty expectation accepts that.
    EXPECT_EQ(rows[1].command, "NMT_Start_Res !keine Antwort");
    EXPECT_EQ(rows[1].rt, "R");
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(NmtCommands, EachCommandSendsItsSpecifierToTheNode) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Stop,N:1") + Step("B:NMT_PreOp,N:NodeId") + Step("B:NMT_Start,N:2-1") +
                       Step("B:NMT_Reset_Com,N:1", "None") + Step("B:NMT_Reset,N:0x7F", "None")));
    ASSERT_TRUE(h.Run());
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[0].data, Bytes({0x02, 0x01}));
    EXPECT_EQ(f[1].data, Bytes({0x80, 0x01}));
    EXPECT_EQ(f[2].data, Bytes({0x01, 0x01}));
    EXPECT_EQ(f[3].data, Bytes({0x82, 0x01}));
    EXPECT_EQ(f[4].data, Bytes({0x81, 0x7F}));
    const auto rows = StepRows(h);
    EXPECT_EQ(rows[0].command, "NMT_Stop  NodeId: 0x001");
    EXPECT_EQ(rows[0].value, "0x01");
    EXPECT_EQ(rows[8].command, "NMT_Reset  NodeId: 0x07f");
    // Reset communication of node 1 answers with its boot-up, which "None" forbids; the reset
    // of node 127 concerns nobody.
    EXPECT_EQ(rows[7].command, "NMT_Reset_Com  NodeId: 0x001_Res !unerwartete Antwort");
    EXPECT_EQ(rows[7].id, "701");
    EXPECT_EQ(rows[7].status, "Err Ans");
    EXPECT_EQ(rows[9].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 1);
}

TEST(NmtCommands, ResetWithNoneIsRightOnlyWhileTheDeviceStaysSilent) {
    {
        StationHarness h(WithFaults("boot.silent"));
        ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Reset,N:1", "None")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1].command, "NMT_Reset  NodeId: 0x001_Res !keine Antwort");
        EXPECT_EQ(rows[1].status, "ok");
    }
    {
        StationHarness h;
        ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Reset,N:1", "None")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1].command, "NMT_Reset  NodeId: 0x001_Res !unerwartete Antwort");
        EXPECT_EQ(rows[1].data, "00");
        EXPECT_EQ(rows[1].status, "Err Ans");
    }
}

TEST(NmtCommands, AnswerIsCheckedAgainstTheExpectedFrame) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Reset,N:1", "Id:0x701,DLC:1,D:0") +
                       Step("B:NMT_Reset,N:1", "Id:0x701,DLC:1,D:Y0:5Y1:Y2:Y3:Y4:Y5:Y6:Y7:") +
                       Step("B:NMT_Reset,N:1", "Id:0x702,DLC:,D:") + Step("B:NMT_Reset,N:1", "Id:0x701,DLC:2,D:") +
                       Step("B:NMT_Reset,N:1", "Id:0x701,DLC:1,D:Y0:Q") + Step("B:NMT_Start,N:1", "Id:0x701,DLC:,D:")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[1].command, "NMT_Reset  NodeId: 0x001_Res");
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(rows[3].command, "NMT_Reset  NodeId: 0x001_Res   !falsche Daten");
    EXPECT_EQ(rows[3].status, "Err Ans");
    EXPECT_EQ(rows[5].command, "NMT_Reset  NodeId: 0x001_Res   !falscher Identifier");
    EXPECT_EQ(rows[7].command, "NMT_Reset  NodeId: 0x001_Res   !falscher Datenlaenge");
    EXPECT_EQ(rows[9].command, "NMT_Reset  NodeId: 0x001_Res   !Syntaxfehler");
    EXPECT_EQ(rows[9].status, "Err Syn");
    // An expected answer that never comes.
    EXPECT_EQ(rows[11].command, "NMT_Start  NodeId: 0x001_Res !keine Antwort");
    EXPECT_EQ(rows[11].id, "");
    EXPECT_EQ(rows[11].status, "Err Ans");
    EXPECT_EQ(h.ErrorCount(), 5);
}

TEST(NmtCommands, NodeIdThatIsNoNumberOrNoByteSendsNothing) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Start,N:NoSuchName") + Step("B:NMT_Stop,N:0x101") +
                       Step("B:NMT_Stop,N:0-1") + Step("B:NMT_Start,N:")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].command, "unbekannter Befehl");
        EXPECT_EQ(rows[i].status, "Err Syn");
    }
    // An empty value addresses all nodes, like an empty field.
    EXPECT_EQ(rows[3].command, "NMT_Start  NodeId: 0x000");
    ASSERT_EQ(h.StationFrames().size(), 1u);
    EXPECT_EQ(h.StationFrames()[0].data, Bytes({0x01, 0x00}));
}

TEST(NmtGuard, StateIsComparedWithoutTheToggleBit) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Start,N:1") + Step("B:NMT_Guard", "State:5") +
                       Step("B:NMT_Guard,GuardIdent:0x701", "State:5") + Step("B:NMT_Guard,GuardIdent:", "")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[2].command, "NMT_Guard  Node: 0x701");
    EXPECT_EQ(rows[2].value, "--Remote--");
    EXPECT_EQ(rows[2].id, "701");
    EXPECT_EQ(rows[3].command, "NMT_Guard_Res");
    EXPECT_EQ(rows[3].rt, "R");
    EXPECT_EQ(rows[3].data, "05");
    EXPECT_EQ(rows[3].status, "ok");
    EXPECT_EQ(rows[5].command, "NMT_Guard_Res");
    EXPECT_EQ(rows[5].data, "85");
    EXPECT_EQ(rows[5].status, "ok");
    EXPECT_EQ(rows[7].data, "05");
    EXPECT_EQ(h.ErrorCount(), 0);

    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 4u);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(f[i].id, 0x701u);
        EXPECT_TRUE(f[i].rtr);
        EXPECT_EQ(f[i].len, 0u);
    }
}

TEST(NmtGuard, WrongStateSilenceAndSyntax) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Guard", "State:5") + Step("B:NMT_Guard", "State:Nope") +
                       Step("B:NMT_Guard", "None") + Step("B:NMT_Guard,G:0x702", "State:0x7F") +
                       Step("B:NMT_Guard,G:0x702") + Step("B:NMT_Guard,G:0x800")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 11u);
    // Pre-operational is 0x7F.
    EXPECT_EQ(rows[1].command, "NMT_Guard   ! response error");
    EXPECT_EQ(rows[1].data, "7f");
    EXPECT_EQ(rows[1].status, "Err Ans");
    EXPECT_EQ(rows[3].command, "NMT_Guard   ! Syntax error");
    EXPECT_EQ(rows[3].status, "Err Syn");
    EXPECT_EQ(rows[5].command, "NMT_Guard !unexpected response");
    EXPECT_EQ(rows[5].status, "Err Ans");
    // Nobody guards 0x702: an expected state makes silence an error, an empty field does not.
    EXPECT_EQ(rows[7].command, "NMT_Guard  Node: 0x702 !no response");
    EXPECT_EQ(rows[7].status, "Err Ans");
    EXPECT_EQ(rows[9].command, "NMT_Guard  Node: 0x702 !no response");
    EXPECT_EQ(rows[9].status, "ok");
    EXPECT_EQ(rows[10].command, "NMT_Guard  Node: 0x800   ! Syntax error");
    EXPECT_EQ(rows[10].status, "Err Syn");
    EXPECT_EQ(h.StationFrames().size(), 5u);
}

TEST(NmtGuard, FaultyAnswersAreNmtErrors) {
    const struct {
        const char* fault;
        const char* text;
    } cases[] = {
        {"guard.wrongid", "NMT_Guard    ! wrong Identifier"},
        {"guard.wronglen:2", "NMT_Guard   ! wrong Data Length Code"},
        {"guard.wronglen:8", "NMT_Guard   ! wrong Data Length Code"},
    };
    for (const auto& c : cases) {
        StationHarness h(WithFaults(c.fault));
        ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Guard", "State:0x7F")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 2u) << c.fault;
        EXPECT_EQ(rows[1].command, c.text) << c.fault;
        EXPECT_EQ(rows[1].status, "Err_NMT") << c.fault;
    }
    StationHarness silent(WithFaults("guard.silent"));
    ASSERT_TRUE(silent.Load(Header() + Step("B:NMT_Guard", "State:0x7F")));
    ASSERT_TRUE(silent.Run());
    EXPECT_EQ(StepRows(silent)[1].command, "NMT_Guard  Node: 0x701 !no response");
    EXPECT_EQ(silent.ErrorCount(), 1);
}

TEST(NmtCommands, CycleAndHeartbeatTestAreUnknown) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:Cycle_Test") + Step("B:Heartbeat_Test")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].status, "Err Syn");
    EXPECT_EQ(rows[1].status, "Err Syn");
    EXPECT_TRUE(h.StationFrames().empty());
}

TEST(NmtCommands, MenuCommandsContinueOnTheirOwnRecord) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header()));
    ASSERT_TRUE(CanOpen());
    h.Runner().InitProtocolGrid();
    auto runMenuCommand = [&h](const TestInstruction& record) {
        CurrentRun().interactiveInstructions = {};
        CurrentRun().interactiveInstructions[0] = record;
        h.Runner().RunInteractiveCommand(10);
        return h.Time().RunUntil([&h] { return !h.Runner().TimerActive(); }, h.Time().NowUs() + 1'000'000);
    };
    TestInstruction guard;
    guard.command = "B:NMT_Guard";
    guard.param1 = "GuardIdent:0x701";
    ASSERT_TRUE(runMenuCommand(guard));
    TestInstruction sync;
    sync.command = "B:Sync";
    sync.param1 = "Anzahl:1";
    sync.expectedId = "Id:";
    sync.expectedLen = "DLC:";
    sync.expectedData = "Value:";
    ASSERT_TRUE(runMenuCommand(sync));

    const auto rows = StepRows(h);
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[0].command, "NMT_Guard  Node: 0x701");
    EXPECT_EQ(rows[1].command, "NMT_Guard_Res");
    EXPECT_EQ(rows[1].data, "7f");
    EXPECT_EQ(rows[1].status, "ok");
    // An empty row separates the menu commands.
    const auto sync0 = std::find_if(rows.begin() + 2, rows.end(), [](const Row& r) { return r.command == "Sync"; });
    ASSERT_NE(sync0, rows.end());
    ASSERT_NE(sync0 + 1, rows.end());
    EXPECT_EQ((sync0 + 1)->command, "Sync_Res   !no response");
    EXPECT_EQ((sync0 + 1)->status, "Err Ans");
}
