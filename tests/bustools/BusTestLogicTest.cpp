// The bus test's request/answer cycle on the virtual bus in virtual time.
#include <gtest/gtest.h>

#include "BusTestLogic.h"
#include "BusToolsFixture.h"

namespace {
class BusTestTest : public BusToolsFixture {
protected:
    BusTestTest() : test(h.Operator()) {
        responder = h.Bus().CreateEndpoint("responder");
        responder->SetHandler([this](const BusFrame& f) {
            if (f.id != 0x123) return;
            ++requests;
            for (const BusFrame& a : answer(requests)) responder->Send(a);
        });
        responder->Open(0);
        test.controls.send = {"123", "2", {"01", "02"}};
        test.controls.expected = {"321", "4", {"AA"}};
        test.controls.cycTime = "10";
        test.controls.ansTime = "5";
        CanOpen();
    }
    static BusFrame Frame(uint32_t id, std::initializer_list<uint8_t> bytes) {
        BusFrame f;
        f.id = id;
        f.len = static_cast<uint8_t>(bytes.size());
        size_t i = 0;
        for (uint8_t b : bytes) f.data[i++] = b;
        return f;
    }
    std::vector<std::string> Messages() {
        auto m = h.Operator().Messages();
        h.Operator().calls.clear();
        return m;
    }

    BusTestLogic test;
    std::shared_ptr<VirtualEndpoint> responder;
    int requests = 0;
    std::function<std::vector<BusFrame>(int)> answer = [](int) {
        return std::vector<BusFrame>{Frame(0x321, {0xAA, 1, 2, 3})};
    };
};
}  // namespace

TEST_F(BusTestTest, StartChecksChannelTimesAndFrames) {
    struct Case {
        std::function<void(BusTestLogic::Controls&)> change;
        std::string message;
    };
    const Case cases[] = {
        {[](auto& c) { c.cycTime = "4"; }, "Cycle time: wrong timer time"},
        {[](auto& c) { c.ansTime = "11"; }, "Receive message: wrong timer time"},
        {[](auto& c) { c.ansTime = "4"; }, "Receive message: wrong timer time"},
        {[](auto& c) { c.send.id = "800"; }, "Send message: wrong Identifier"},
        {[](auto& c) { c.send.dlc = "9"; }, "Send message: wrong Data Length Code"},
        {[](auto& c) { c.expected.bytes[5] = "01"; }, "Receive message: wrong Byte 5"},
        {[](auto& c) { c.expected.id = "zz"; }, "Receive message: wrong Identifier"},
    };
    const BusTestLogic::Controls good = test.controls;
    for (const Case& c : cases) {
        test.controls = good;
        c.change(test.controls);
        test.btnStartClick();
        EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
        EXPECT_FALSE(test.Running()) << c.message;
    }
    test.controls = good;
    test.controls.ansTime = "10";  // equal to the cycle time is allowed
    test.btnStartClick();
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(test.Running());
    EXPECT_EQ(test.StatusText(), "BUSTEST active");
    CanClose();
    test.btnStopClick();
    test.btnStartClick();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Bustest: CAN channel is not open"});
}

TEST_F(BusTestTest, AByteZeroOnlyAnswerCountsCycles) {
    test.btnStartClick();
    AdvanceMs(105);
    EXPECT_EQ(requests, 10);
    EXPECT_EQ(test.Cycles(), 10u);
    EXPECT_EQ(test.CyclesText(), "10");
    EXPECT_TRUE(test.Lines().empty());
    EXPECT_EQ(test.StatusText(), "BUSTEST active");
    test.btnStopClick();
    EXPECT_EQ(test.StatusText(), "TRACE stopped");
    AdvanceMs(100);
    EXPECT_EQ(requests, 10);
}

TEST_F(BusTestTest, AWrongAnswerStopsTheTestAndListsTheAnswerWindow) {
    answer = [](int n) {
        if (n < 3) return std::vector<BusFrame>{Frame(0x321, {0xAA, 0, 0, 0})};
        BusFrame remote = Frame(0x700, {});
        remote.rtr = true;
        return std::vector<BusFrame>{Frame(0x555, {1}), Frame(0x321, {0xAB, 0, 0, 0}), remote};
    };
    test.btnStartClick();
    AdvanceMs(100);
    EXPECT_EQ(requests, 3);
    EXPECT_EQ(test.Cycles(), 3u);
    EXPECT_EQ(test.StatusText(), "BUSTEST active  Cycle stopped");
    EXPECT_FALSE(test.Running());
    EXPECT_EQ(test.Lines(), (std::vector<std::string>{"     0  ID:555  LEN:1  01 ", "------  ID:321  LEN:4  ab 00 00 00 ",
                                                      "     1  ID:700  LEN:0   Rem"}));
    // Continue keeps list and counters; a silent answer window lists nothing new and stops again.
    answer = [](int) { return std::vector<BusFrame>{Frame(0x100, {7})}; };
    test.btnWeiterClick();
    EXPECT_EQ(test.StatusText(), "BUSTEST active");
    AdvanceMs(15);
    EXPECT_EQ(test.StatusText(), "BUSTEST active  Cycle stopped");
    EXPECT_EQ(test.Lines().back(), "     2  ID:100  LEN:1  07 ");
    EXPECT_EQ(test.Cycles(), 3u);
    // Start clears them.
    answer = [](int) { return std::vector<BusFrame>{Frame(0x321, {0xAA, 0, 0, 0})}; };
    test.btnStartClick();
    EXPECT_TRUE(test.Lines().empty());
    EXPECT_EQ(test.CyclesText(), "");
}

TEST_F(BusTestTest, TheBufferIsCheckedBeforeEveryStore) {
    // 150 wrong answers with the expected identifier: the hundredth fills the buffer.
    answer = [](int) {
        std::vector<BusFrame> out;
        for (int i = 0; i < 150; ++i) out.push_back(Frame(0x321, {static_cast<uint8_t>(i), 0, 0, 0}));
        return out;
    };
    h.Operator().yesNoAnswers = {false};
    test.btnStartClick();
    AdvanceMs(15);
    ASSERT_EQ(h.Operator().calls.size(), 1u);
    EXPECT_EQ(h.Operator().calls[0].kind, "yesno");
    EXPECT_EQ(h.Operator().calls[0].text, "\xC3\x9C" "berlauf des PufferspeichersTest stoppen?");
    EXPECT_EQ(h.Operator().calls[0].title, "ANTWORT");
    ASSERT_EQ(test.Lines().size(), 100u);
    EXPECT_EQ(test.Lines()[99], "------  ID:321  LEN:4  63 00 00 00 ");
    EXPECT_EQ(test.Lines()[98], "    98  ID:321  LEN:4  62 00 00 00 ");

    // Yes empties the buffer and reading goes on: the last 50 frames are listed.
    h.Operator().calls.clear();
    h.Operator().yesNoAnswers = {true};
    test.btnStartClick();
    AdvanceMs(15);
    EXPECT_EQ(h.Operator().calls.size(), 1u);
    ASSERT_EQ(test.Lines().size(), 50u);
    EXPECT_EQ(test.Lines()[0], "     0  ID:321  LEN:4  64 00 00 00 ");
    EXPECT_EQ(test.Lines()[49], "------  ID:321  LEN:4  95 00 00 00 ");
}

TEST_F(BusTestTest, NodeButtonsMenuAndSettings) {
    test.btnOperateClick();
    test.btnPreOpClick();
    EXPECT_EQ(test.Lines(), (std::vector<std::string>{"     T  ID:000  LEN:2  01 05", "     T  ID:000  LEN:2  80 05"}));
    const auto sent = PeerFrames();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].data[0], 0x80);
    test.mnuLadenClick();
    test.mnuSpeichernClick();
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Error: Function not implemented", "Error: Function not implemented"}));
    CanClose();
    test.btnOperateClick();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Bustest: CAN channel is not open"});

    Configuration& c = AppConfiguration();
    c.SetValue("[BUS_ZYKLUSZEIT]", "20");
    c.SetValue("[BUS_ANTWORTZEIT]", "8");
    c.SetValue("[BUS_SENDEN]", "123, 1,55,  ,  ,  ,  ,  ,  ,  ");
    c.SetValue("[BUS_REMOTE_SENDEN]", "ja");
    c.SetValue("[BUS_EMPFANG]", "321, 8,  ,  ,  ,  ,  ,  ,  ,  ");
    c.SetValue("[BUS_REMOTE_EMPFANG]", "nein");
    test.Activate();
    EXPECT_EQ(test.controls.cycTime, "20");
    EXPECT_EQ(test.controls.ansTime, "8");
    EXPECT_EQ(test.controls.send.bytes[0], "55");
    EXPECT_TRUE(test.controls.remote);
    EXPECT_EQ(test.controls.expected.dlc, "8");
    EXPECT_FALSE(test.controls.remoteRec);
    test.controls.remoteRec = true;
    test.controls.expected.bytes[0] = "1";
    test.Close();
    EXPECT_EQ(c.Value("[BUS_REMOTE_EMPFANG]"), "ja");
    EXPECT_EQ(c.Value("[BUS_EMPFANG]"), "321, 8, 1,  ,  ,  ,  ,  ,  ,  ");
    EXPECT_EQ(c.Value("[BUS_SENDEN]"), "123, 1,55,  ,  ,  ,  ,  ,  ,  ");
    EXPECT_EQ(test.StatusText(), "TRACE stopped");
}
