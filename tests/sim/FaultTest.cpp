#include "SimFixture.h"

namespace {
const std::string kSerialAnswer = Text(0x581, {0x43, 0x18, 0x10, 0x04, 0x78, 0x56, 0x34, 0x12});
}

class SimFault : public SimFixture {
protected:
    void StartWith(const std::string& faults) {
        EncoderOptions o;
        std::string error;
        ASSERT_TRUE(ParseFaultSwitches(faults, o.faults, error)) << error;
        Start(o);
    }
    std::string AskSerial() { return Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}); }
};

TEST_F(SimFault, SilentServiceSendsNothingOthersStillWork) {
    StartWith("sdo.silent,boot.silent");
    EXPECT_EQ(Received(), Frames{});
    EXPECT_EQ(AskSerial(), "");
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x7F})});
}

TEST_F(SimFault, LateAnswersComeAfterTheirDelayInOrder) {
    StartWith("sdo.late:200");
    Received();
    Send(0x601, {0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0});
    Send(0x601, {0x40, 0x18, 0x10, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(Received(199), Frames{});
    EXPECT_EQ(Received(1), (Frames{kSerialAnswer, Text(0x581, {0x4F, 0x18, 0x10, 0x00, 0x04, 0, 0, 0})}));
}

TEST_F(SimFault, WrongIdentifierDataAndLength) {
    StartWith("sdo.wrongid,guard.wrongdata,lss.wronglen:5");
    Received();
    EXPECT_EQ(Ask(0x601, {0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}),
              Frames{Text(0x582, {0x43, 0x18, 0x10, 0x04, 0x78, 0x56, 0x34, 0x12})});
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x7E})});
    tester->Send(MakeFrame(0x7E5, {0x04, 0x01, 0, 0, 0, 0, 0, 0}));
    tester->Send(MakeFrame(0x7E5, {0x5E, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Received(), Frames{Text(0x7E4, {0x5E, 0x01, 0, 0, 0})});
}

TEST_F(SimFault, WrongDataChangesTheSdoValue) {
    StartWith("sdo.wrongdata");
    EXPECT_EQ(AskSerial(), Text(0x581, {0x43, 0x18, 0x10, 0x04, 0x79, 0x56, 0x34, 0x12}));
}

TEST_F(SimFault, DropEveryNthFrame) {
    StartWith("guard.drop:2");
    Received();
    std::vector<size_t> answers;
    for (int i = 0; i < 6; ++i) {
        SendRemote(0x701);
        answers.push_back(Received().size());
    }
    EXPECT_EQ(answers, (std::vector<size_t>{1, 0, 1, 0, 1, 0}));
}

TEST_F(SimFault, WrongToggleInSegmentAnswers) {
    StartWith("sdo.toggle");
    Received();
    Sdo({0x40, 0x08, 0x10, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(Sdo({0x60, 0, 0, 0, 0, 0, 0, 0}), Text(0x581, {0x10, 'Q', 'Z', ' ', 'M', 'u', 'l', 't'}));
}

TEST_F(SimFault, AbortAnObjectWithAGivenCode) {
    StartWith("sdo.abort:6004:0:06060000");
    Received();
    EXPECT_EQ(Sdo({0x40, 0x04, 0x60, 0x00, 0, 0, 0, 0}), Text(0x581, {0x80, 0x04, 0x60, 0x00, 0x00, 0x00, 0x06, 0x06}));
    EXPECT_EQ(Sdo({0x23, 0x04, 0x60, 0x00, 0, 0, 0, 0}), Text(0x581, {0x80, 0x04, 0x60, 0x00, 0x00, 0x00, 0x06, 0x06}));
    EXPECT_EQ(AskSerial(), kSerialAnswer);
}

TEST_F(SimFault, StoreFails) {
    StartWith("store.fail");
    Received();
    EXPECT_EQ(Sdo({0x23, 0x10, 0x10, 0x01, 's', 'a', 'v', 'e'}),
              Text(0x581, {0x80, 0x10, 0x10, 0x01, 0x20, 0x00, 0x00, 0x08}));
}

TEST(SimFaultSwitches, ParseErrorsNameTheSwitch) {
    FaultSwitches f;
    std::string error;
    EXPECT_FALSE(ParseFaultSwitches("sdo.late", f, error));
    EXPECT_NE(error.find("sdo.late"), std::string::npos);
    EXPECT_FALSE(ParseFaultSwitches("bus.silent", f, error));
    EXPECT_NE(error.find("unknown service"), std::string::npos);
    EXPECT_FALSE(ParseFaultSwitches("sdo.slow", f, error));
    EXPECT_FALSE(ParseFaultSwitches("sdo.wronglen:9", f, error));
    EXPECT_FALSE(ParseFaultSwitches("sdo.drop:0", f, error));
    EXPECT_FALSE(ParseFaultSwitches("sdo.abort:6004:0", f, error));
    EXPECT_FALSE(ParseFaultSwitches("shaft.jump:10", f, error));
    EXPECT_FALSE(ParseFaultSwitches("guard.silent,sdo.late:x", f, error));
    EXPECT_FALSE(f.Of(SimService::Guard).silent);  // a failed list changes nothing
    EXPECT_TRUE(ParseFaultSwitches(" guard.silent , sdo.abort:0x1018:4:08000000,shaft.jump:10:-3", f, error)) << error;
    EXPECT_TRUE(f.Of(SimService::Guard).silent);
    EXPECT_EQ(f.AbortFor(0x1018, 4), 0x08000000u);
    EXPECT_EQ(f.shaft.kind, ShaftFault::Kind::Jump);
    EXPECT_EQ(f.shaft.jump, -3);
}
