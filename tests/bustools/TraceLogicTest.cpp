// The trace window's logic on the virtual bus in virtual time.
#include <gtest/gtest.h>

#include "BusToolsFixture.h"
#include "CanopenDecode.h"
#include "TraceLogic.h"

namespace {
class TraceTest : public BusToolsFixture {
protected:
    TraceTest() : trace(h.Operator()) {}
    void Start() {
        trace.btnStartClick();
        ASSERT_EQ(trace.StatusText(), "TRACE active");
    }
    std::vector<std::string> Lines() const { return trace.List().Texts(); }
    TraceLogic trace;
};

// A channel whose library has no version text to give.
class NoVersionInterface final : public VirtualCanInterface {
public:
    using VirtualCanInterface::VirtualCanInterface;
    uint32_t GetApiVersion(std::string& text) override {
        text.clear();
        return 0x4000;
    }
};
}  // namespace

TEST_F(TraceTest, SendChecksTheFieldsAndSendsOnlyValidFrames) {
    Start();
    struct Case {
        std::string id, dlc, b0, b1, b2;
        std::string message;  // empty: sent
    };
    const Case cases[] = {
        {"7FF", "0", "", "", "", ""},
        {"800", "0", "", "", "", "SEND: wrong Identifier"},
        {"181", "9", "", "", "", "SEND: wrong Data Length Code"},
        {"181", "2", "11", "", "", "SEND: wrong Byte 1"},
        {"181", "2", "11", "22", "", ""},
    };
    for (const Case& c : cases) {
        h.Operator().calls.clear();
        trace.controls.send = {c.id, c.dlc, {c.b0, c.b1, c.b2}};
        trace.btnSendClick();
        const auto sent = PeerFrames();
        if (c.message.empty()) {
            EXPECT_TRUE(h.Operator().Messages().empty()) << c.id;
            ASSERT_EQ(sent.size(), 1u) << c.id;
        } else {
            EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{c.message});
            EXPECT_TRUE(sent.empty()) << c.id;
        }
    }
    EXPECT_EQ(Lines(), (std::vector<std::string>{"00:00:000      T  ID:7ff  LEN:0  ",
                                                 "00:00:000      T  ID:181  LEN:2  11 22 "}));
    // The station's own sends are not listed a second time when they pass the channel.
    AdvanceMs(30);
    EXPECT_EQ(Lines().size(), 2u);
    // Without an open channel the button does nothing.
    trace.btnStopClick();
    trace.btnSendClick();
    EXPECT_TRUE(PeerFrames().empty());
}

TEST_F(TraceTest, CyclicPeriodOfFourIsRefusedFiveSends) {
    trace.controls.send = {"123", "1", {"AA"}};
    trace.controls.cyclic = true;
    trace.controls.cycTime = "4";
    trace.btnStartClick();
    EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{"SEND: wrong timer time"});
    EXPECT_EQ(trace.StatusText(), "TRACE stopped");
    EXPECT_FALSE(trace.Timer1().IsActive());

    trace.controls.cycTime = "5";
    AdvanceMs(7);
    trace.btnStartClick();
    ASSERT_EQ(trace.StatusText(), "TRACE active");
    EXPECT_EQ(trace.SendTimer().IntervalMs(), 5);
    AdvanceMs(20);
    EXPECT_EQ(PeerFrames().size(), 4u);
    // Each cyclic send adds the line built at the start, with the time of that moment.
    EXPECT_EQ(Lines(), std::vector<std::string>(4, "00:00:000      T  ID:123  LEN:1  aa "));
    // A remote frame switched on while cycling goes out as a remote frame.
    trace.controls.remote = true;
    AdvanceMs(5);
    const auto sent = PeerFrames();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].rtr);
    trace.btnStopClick();
    AdvanceMs(50);
    EXPECT_TRUE(PeerFrames().empty());
}

TEST_F(TraceTest, FixedPositionKeepsOneLinePerIdentifierAndLength) {
    trace.controls.fixPos = true;
    Start();
    Put(0x181, {1, 2});
    Put(0x181, {1, 2, 3, 4, 5, 6, 7, 8});
    Put(0x181, {9, 9});
    Put(0x701, {0x05});
    AdvanceMs(10);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"00:00:000      2  ID:181  LEN:2  09 09 ",
                                                 "00:00:000      1  ID:181  LEN:8  01 02 03 04 05 06 07 08 ",
                                                 "00:00:000      3  ID:701  LEN:1  05 "}));
    EXPECT_EQ(trace.List().At(2).service, "Heartbeat node 1: operational");
}

TEST_F(TraceTest, RelativeTimeStampsShowTheGapToThePreviousFrame) {
    trace.controls.deltaTime = true;
    Start();
    AdvanceMs(3);
    Put(0x181, {1});
    AdvanceMs(15);
    Put(0x181, {2});
    AdvanceMs(10);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 9), "00:00:003");
    EXPECT_EQ(lines[1].substr(0, 9), "00:00:015");
    // Without it the time counts from the start of the trace.
    trace.controls.deltaTime = false;
    AdvanceMs(1000);
    Put(0x181, {3});
    AdvanceMs(10);
    EXPECT_EQ(Lines().back().substr(0, 9), "00:01:010");
}

TEST_F(TraceTest, StopAndContinueKeepTheListStartEmptiesIt) {
    Start();
    Put(0x181, {1});
    Put(0x182, {2});
    AdvanceMs(10);
    trace.btnStopClick();
    EXPECT_EQ(trace.StatusText(), "TRACE stopped");
    EXPECT_FALSE(CanActive);
    trace.btnWeiterClick();
    EXPECT_EQ(trace.StatusText(), "TRACE active");
    Put(0x183, {3});
    AdvanceMs(10);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[2].find("      2  ID:183"), std::string::npos) << lines[2];
    trace.btnStartClick();
    EXPECT_TRUE(Lines().empty());
    Put(0x184, {4});
    AdvanceMs(10);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0], "00:00:000      0  ID:184  LEN:1  04 ");
}

TEST_F(TraceTest, ATickAddsAtMost201LinesAndTheListIsClearedBeyond500) {
    Start();
    for (int i = 0; i < 300; ++i) Put(0x200 + (i % 16), {static_cast<uint8_t>(i)});
    AdvanceMs(10);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 201u);
    EXPECT_EQ(lines.back().substr(lines.back().size() - 3), "  @");
    EXPECT_EQ(trace.DiscardedFrames(), 99u);
    AdvanceMs(10);
    EXPECT_EQ(Lines().size(), 201u);
    // 200 lines per tick: at 501 lines the list starts anew.
    for (int tick = 0; tick < 2; ++tick) {
        for (int i = 0; i < 200; ++i) Put(0x300, {1});
        AdvanceMs(10);
    }
    EXPECT_EQ(Lines().size(), 601u - 501u);
    EXPECT_NE(Lines()[0].find("    501  ID:300"), std::string::npos) << Lines()[0];
    EXPECT_EQ(trace.DiscardedFrames(), 99u);
    EXPECT_EQ(trace.LostFrames(), 0u);
}

TEST_F(TraceTest, FixedPositionHasNoLineLimitAndNoCut) {
    trace.controls.fixPos = true;
    Start();
    for (int i = 0; i < 900; ++i) Put(static_cast<uint32_t>(i), {1});
    AdvanceMs(10);
    EXPECT_EQ(Lines().size(), 900u);
    EXPECT_EQ(trace.DiscardedFrames(), 0u);
    // 1000 frames per tick: the rest waits for the next tick.
    for (int i = 0; i < 1200; ++i) Put(0x100, {static_cast<uint8_t>(i)});
    h.Time().AdvanceByMs(10);
    EXPECT_NE(Lines()[0x100].find("   1899  ID:100"), std::string::npos) << Lines()[0x100];
    AdvanceMs(10);
    EXPECT_NE(Lines()[0x100].find("   2099  ID:100"), std::string::npos) << Lines()[0x100];
}

TEST_F(TraceTest, NodeStatusAndVersionButtons) {
    trace.btnOperateClick();  // not while stopped
    EXPECT_TRUE(PeerFrames().empty());
    Start();
    AdvanceMs(2);
    trace.btnOperateClick();
    trace.btnPreOpClick();
    const auto sent = PeerFrames();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].id, 0u);
    EXPECT_EQ(sent[0].data[0], 0x01);
    EXPECT_EQ(sent[0].data[1], 5);
    EXPECT_EQ(sent[1].data[0], 0x80);
    trace.CAN_StatusBClick();
    trace.VersionInfoBClick();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"00:00:002      T  ID:000  LEN:2  01 05",
                                                 "00:00:002      T  ID:000  LEN:2  80 05", "---", "0", "---",
                                                 "---", "Quarzel virtual CAN 1.0", "---"}));
    EXPECT_EQ(trace.List().At(1).service, "NMT pre-operational node 5");

    CanSetInterface(std::make_shared<NoVersionInterface>(h.Bus().shared_from_this(), "nolib"));
    Start();
    trace.VersionInfoBClick();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"---", "no driver found", "---"}));
    trace.btnStopClick();
    trace.VersionInfoBClick();
    trace.CAN_StatusBClick();
    EXPECT_EQ(Lines().size(), 3u);
}

TEST_F(TraceTest, SettingsComeFromAndGoBackToTheConfiguration) {
    Configuration& c = AppConfiguration();
    c.SetValue("[TRACE_ZYKLUSZEIT]", "100");
    c.SetValue("[TRACE_ZYKLUS]", "ja");
    c.SetValue("[TRACE_SENDEN]", "181, 2,11,22,  ,  ,  ,  ,  ,  ");
    c.SetValue("[TRACE_REMOTE_SENDEN]", "nein");
    trace.Activate();
    EXPECT_EQ(trace.controls.cycTime, "100");
    EXPECT_TRUE(trace.controls.cyclic);
    EXPECT_FALSE(trace.controls.remote);
    EXPECT_EQ(trace.controls.send.id, "181");
    EXPECT_EQ(trace.controls.send.bytes[1], "22");
    trace.controls.cyclic = false;
    trace.controls.remote = true;
    trace.controls.send.id = "7FF";
    trace.Close();
    EXPECT_EQ(c.Value("[TRACE_ZYKLUS]"), "nein");
    EXPECT_EQ(c.Value("[TRACE_REMOTE_SENDEN]"), "ja");
    EXPECT_EQ(c.Value("[TRACE_SENDEN]"), "7FF, 2,11,22,  ,  ,  ,  ,  ,  ");
    EXPECT_EQ(c.Value("[TRACE_ZYKLUSZEIT]"), "100");
    EXPECT_EQ(trace.StatusText(), "TRACE stopped");
    EXPECT_FALSE(CanActive);
}
