#include "SimFixture.h"

class SimPdo : public SimFixture {
protected:
    // Positions carried by the TPDO1 frames received (bytes 0..3).
    std::vector<uint32_t> Positions(uint64_t ms) {
        vt->AdvanceByMs(ms);
        std::vector<uint32_t> out;
        BusFrame f;
        while (tester->TryReceive(f))
            if (f.id == 0x181) out.push_back(GetLe32(f.data, 0));
        return out;
    }
    // The differences between successive positions.
    static std::vector<int64_t> Steps(const std::vector<uint32_t>& p) {
        std::vector<int64_t> d;
        for (size_t i = 1; i < p.size(); ++i) d.push_back(static_cast<int64_t>(p[i]) - static_cast<int64_t>(p[i - 1]));
        return d;
    }
    void StartTurning(const std::string& fault = {}) {
        EncoderOptions o;
        o.milliRpm = 1000;  // 8192 steps a minute: a step every 7.3 ms
        std::string error;
        ASSERT_TRUE(ParseFaultSwitches(fault, o.faults, error)) << error;
        Start(o);
        StartNode();
    }
};

TEST_F(SimPdo, SyncSendsTheSynchronousPdosWhenOperational) {
    Start();
    Received();
    Send(0x080, {});
    EXPECT_EQ(Received(), Frames{});  // pre-operational
    StartNode();
    Send(0x080, {});
    EXPECT_EQ(Received(), Frames{Text(0x281, {0, 0, 0, 0, 0, 0})});
    // TPDO1 on every third Sync.
    EXPECT_EQ(Sdo({0x2F, 0x00, 0x18, 0x02, 0x03, 0, 0, 0}), Text(0x581, {0x60, 0x00, 0x18, 0x02, 0, 0, 0, 0}));
    Send(0x080, {});
    Send(0x080, {});
    EXPECT_EQ(Received(), (Frames{Text(0x281, {0, 0, 0, 0, 0, 0}), Text(0x281, {0, 0, 0, 0, 0, 0})}));
    Send(0x080, {});
    EXPECT_EQ(Received(), (Frames{Text(0x181, {0, 0, 0, 0}), Text(0x281, {0, 0, 0, 0, 0, 0})}));
    // Another Sync identifier (0x1005) moves the trigger.
    Sdo({0x23, 0x05, 0x10, 0x00, 0x90, 0, 0, 0});
    Send(0x080, {});
    EXPECT_EQ(Received(), Frames{});
    Send(0x090, {});
    EXPECT_EQ(Received(), Frames{Text(0x281, {0, 0, 0, 0, 0, 0})});
}

TEST_F(SimPdo, RemoteRequestIsAnsweredWhenAllowed) {
    Start();
    StartNode();
    Sdo({0x23, 0x03, 0x60, 0x00, 0x34, 0x12, 0, 0});  // preset 0x1234
    SendRemote(0x181, 4);
    EXPECT_EQ(Received(), Frames{Text(0x181, {0x34, 0x12, 0, 0})});
    SendRemote(0x281);
    EXPECT_EQ(Received(), Frames{Text(0x281, {0x34, 0x12, 0, 0, 0, 0})});
    // COB-ID bit 30: no remote transmission.
    Sdo({0x23, 0x00, 0x18, 0x01, 0x81, 0x01, 0x00, 0x40});
    SendRemote(0x181);
    EXPECT_EQ(Received(), Frames{});
}

TEST_F(SimPdo, CyclicTimerSendsThePosition) {
    Start();
    // 0x6200 := 50 ms, mirrored into 0x1800 sub 5
    EXPECT_EQ(Sdo({0x2B, 0x00, 0x62, 0x00, 0x32, 0x00, 0, 0}), Text(0x581, {0x60, 0x00, 0x62, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x00, 0x18, 0x05, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x00, 0x18, 0x05, 0x32, 0x00, 0, 0}));
    EXPECT_EQ(Received(200), Frames{});  // not before operational
    StartNode();
    EXPECT_EQ(Received(49), Frames{});
    EXPECT_EQ(Received(1), Frames{Text(0x181, {0, 0, 0, 0})});
    EXPECT_EQ(Received(100).size(), 2u);
    Send(0x000, {0x80, 0x01});
    EXPECT_EQ(Received(200), Frames{});
}

TEST_F(SimPdo, ShaftAdvancesWithTimeInItsDirection) {
    EncoderOptions o;
    o.milliRpm = 60000;  // one revolution a second
    Start(o);
    vt->AdvanceByMs(999);  // a second after power-on
    EXPECT_EQ(Sdo({0x40, 0x04, 0x60, 0x00, 0, 0, 0, 0}), Text(0x581, {0x43, 0x04, 0x60, 0x00, 0x00, 0x20, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x30, 0x60, 0x01, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x30, 0x60, 0x01, 0x3C, 0x00, 0, 0}));
    // Code sequence (0x6000 bit 0) turns the counting direction round.
    Sdo({0x2B, 0x00, 0x60, 0x00, 0x05, 0x00, 0, 0});
    vt->AdvanceByMs(2000);
    // 8192 - 16384 wraps to the top of the range (2^25).
    EXPECT_EQ(Sdo({0x40, 0x04, 0x60, 0x00, 0, 0, 0, 0}), Text(0x581, {0x43, 0x04, 0x60, 0x00, 0x00, 0xE0, 0xFF, 0x01}));
}

TEST_F(SimPdo, EachStepSendsAPdoWithoutTimer) {
    StartTurning();
    const auto p = Positions(200);
    ASSERT_GE(p.size(), 25u);
    for (int64_t d : Steps(p)) EXPECT_EQ(d, 1);
}

TEST_F(SimPdo, ShaftFaultsSkipRepeatOrJump) {
    StartTurning("shaft.skip:5");
    auto d = Steps(Positions(100));
    EXPECT_NE(std::find(d.begin(), d.end(), 2), d.end());
    EXPECT_EQ(std::count_if(d.begin(), d.end(), [](int64_t x) { return x != 1 && x != 2; }), 0);

    encoder.reset();
    Received();
    StartTurning("shaft.repeat:5");
    d = Steps(Positions(100));
    EXPECT_NE(std::find(d.begin(), d.end(), 0), d.end());

    encoder.reset();
    Received();
    StartTurning("shaft.jump:4:100");
    d = Steps(Positions(100));
    EXPECT_EQ(std::count(d.begin(), d.end(), 101), 1);
    EXPECT_EQ(std::count(d.begin(), d.end(), 1), static_cast<long>(d.size()) - 1);
}
