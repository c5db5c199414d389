#include "SimFixture.h"

class SimNmt : public SimFixture {};

TEST_F(SimNmt, BootUpAfterPowerOnAndEveryReset) {
    Start();
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x00})});
    EXPECT_EQ(encoder->State(), NmtState::PreOperational);

    Send(0x000, {0x81, 0x01});  // reset node, own id
    EXPECT_EQ(Received(1), Frames{Text(0x701, {0x00})});
    Send(0x000, {0x82, 0x00});  // reset communication, all nodes
    EXPECT_EQ(Received(1), Frames{Text(0x701, {0x00})});
    Send(0x000, {0x81, 0x02});  // another node
    EXPECT_EQ(Received(1), Frames{});
    Send(0x000, {0x81});  // too short for an NMT command
    EXPECT_EQ(Received(1), Frames{});
}

TEST_F(SimNmt, BootUpComesAfterTheConfiguredDelay) {
    EncoderOptions o;
    o.bootDelayMs = 300;
    Start(o);
    EXPECT_EQ(Received(298), Frames{});
    EXPECT_EQ(Received(2), Frames{Text(0x701, {0x00})});
    Send(0x000, {0x82, 0x01});
    EXPECT_EQ(Received(299), Frames{});
    EXPECT_EQ(Received(1), Frames{Text(0x701, {0x00})});
}

TEST_F(SimNmt, GuardingAnswersStateWithAlternatingToggle) {
    Start();
    Received();
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x7F})});
    SendRemote(0x701, 1);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0xFF})});
    Send(0x000, {0x01, 0x01});
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x05})});
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x85})});
    Send(0x000, {0x02, 0x00});
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x04})});
    // Reset communication starts the toggle at 0 again.
    Send(0x000, {0x82, 0x01});
    Received(1);
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x7F})});
    // A data frame on the guarding identifier is no request.
    Send(0x701, {0x00});
    EXPECT_EQ(Received(), Frames{});
}

TEST_F(SimNmt, StoppedNodeAnswersNeitherSdoNorPdoButGuarding) {
    Start();
    Received();
    Send(0x000, {0x02, 0x01});
    EXPECT_EQ(Sdo({0x40, 0x00, 0x10, 0x00, 0, 0, 0, 0}), "");
    SendRemote(0x181);
    EXPECT_EQ(Received(), Frames{});
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x04})});
    // Pre-operational: SDO again, still no PDO.
    Send(0x000, {0x80, 0x01});
    EXPECT_EQ(Sdo({0x40, 0x00, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x43, 0x00, 0x10, 0x00, 0x96, 0x01, 0x02, 0x00}));
    SendRemote(0x181);
    EXPECT_EQ(Received(), Frames{});
}

TEST_F(SimNmt, HeartbeatProducerReplacesGuarding) {
    Start();
    Received();
    // 0x1017 := 100 ms
    EXPECT_EQ(Sdo({0x2B, 0x17, 0x10, 0x00, 0x64, 0x00, 0x00, 0x00}), Text(0x581, {0x60, 0x17, 0x10, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Received(99), Frames{});
    EXPECT_EQ(Received(1), Frames{Text(0x701, {0x7F})});
    Send(0x000, {0x01, 0x01});
    EXPECT_EQ(Received(100), Frames{Text(0x701, {0x05})});
    EXPECT_EQ(Received(300), (Frames{Text(0x701, {0x05}), Text(0x701, {0x05}), Text(0x701, {0x05})}));
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{});
    // Off again: no more heartbeats, guarding answers.
    Sdo({0x2B, 0x17, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(Received(500), Frames{});
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x05})});
}

TEST_F(SimNmt, EmergencyAfterBootUpWhenSwitchedOn) {
    EncoderOptions o;
    o.emcyAtBoot = 0x5000;
    Start(o);
    EXPECT_EQ(Received(), (Frames{Text(0x701, {0x00}), Text(0x081, {0x00, 0x50, 0x01, 0, 0, 0, 0, 0})}));
    EXPECT_EQ(Sdo({0x40, 0x01, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4F, 0x01, 0x10, 0x00, 0x01, 0, 0, 0}));
}

TEST_F(SimNmt, FramesAtAnotherBitRateAreNeverSeen) {
    Start({}, 250);
    EXPECT_EQ(Received(), Frames{});  // the boot-up went out at 500 kbit/s
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}), "");
    tester->Open(500);
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}), Text(0x581, {0x43, 0x18, 0x10, 0x04, 0x78, 0x56, 0x34, 0x12}));
}

TEST_F(SimNmt, ResetCommunicationActivatesAPendingNodeId) {
    Start();
    Received();
    EXPECT_EQ(Sdo({0x2F, 0x04, 0x20, 0x00, 0x09, 0, 0, 0}), Text(0x581, {0x60, 0x04, 0x20, 0x00, 0, 0, 0, 0}));
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x7F})});  // not before the reset
    Send(0x000, {0x82, 0x01});
    EXPECT_EQ(Received(), Frames{Text(0x709, {0x00})});
    EXPECT_EQ(Sdo({0x40, 0x14, 0x10, 0x00, 0, 0, 0, 0}, 9), Text(0x589, {0x43, 0x14, 0x10, 0x00, 0x89, 0, 0, 0}));
}
