#include <thread>

#include "ChannelFixture.h"
#include "SystemTimeSource.h"

TEST(ChannelWithoutInterface, GivesTheNoInterfaceResults) {
    CanSetInterface(nullptr);
    tagOPEN_Message m;
    EXPECT_FALSE(CanOpen());
    EXPECT_FALSE(CanClose());
    EXPECT_FALSE(CanWrite(&m));
    EXPECT_EQ(CanRead(&m), CAN_RESULT_NONE);
    EXPECT_EQ(CanReadOne(&m), CAN_RESULT_NONE);
    EXPECT_EQ(CanWaitForId(10, 0x581, &m), CAN_RESULT_NONE);
    EXPECT_EQ(CanGetStatus(), CAN_RESULT_NO_CHANNEL);
    std::string text = "kept";
    EXPECT_EQ(CanGetApiVersion(text, 255), CAN_RESULT_NO_CHANNEL);
    uint8_t data[8] = {};
    EXPECT_FALSE(CanReadData(0x181, data));
    CanFormatCsvLine(text, &m, 255);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(CanGetHandleObject(), nullptr);
}

TEST_F(ChannelFixture, ReadDrainsTheQueueAndKeepsTheLastFrame) {
    tagOPEN_Message m;
    EXPECT_EQ(CanRead(&m), CAN_RESULT_NONE);
    EXPECT_EQ(m.rxCount, 0u);

    PeerSend(0x181, {1});
    EXPECT_EQ(CanRead(&m), CAN_RESULT_ONE);
    EXPECT_EQ(m.rxCount, 1u);
    EXPECT_EQ(m.id, 0x181u);
    EXPECT_EQ(m.direction, CAN_DIR_RX);

    PeerSend(0x181, {1});
    PeerSend(0x281, {2, 3});
    PeerSend(0x381, {4, 5, 6});
    EXPECT_EQ(CanRead(&m), CAN_RESULT_SEVERAL);
    EXPECT_EQ(m.rxCount, 3u);
    EXPECT_EQ(m.id, 0x381u);
    EXPECT_EQ(m.dlc, 3u);
    EXPECT_EQ(m.data, (std::array<uint8_t, 8>{4, 5, 6, 0, 0, 0, 0, 0}));
    EXPECT_EQ(CanRead(&m), CAN_RESULT_NONE);
}

TEST_F(ChannelFixture, ReadOneTakesASingleFrame) {
    PeerSend(0x181, {1});
    PeerSend(0x281, {2});
    tagOPEN_Message m;
    EXPECT_EQ(CanReadOne(&m), CAN_RESULT_ONE);
    EXPECT_EQ(m.id, 0x181u);
    EXPECT_EQ(CanReadOne(&m), CAN_RESULT_ONE);
    EXPECT_EQ(m.id, 0x281u);
    EXPECT_EQ(CanReadOne(&m), CAN_RESULT_NONE);
}

TEST_F(ChannelFixture, RemoteFrameHasNoLengthAndZeroData) {
    PeerSend(0x701, {9, 9, 9}, true);
    tagOPEN_Message m;
    m.data.fill(0xEE);
    EXPECT_EQ(CanRead(&m), CAN_RESULT_ONE);
    EXPECT_TRUE(m.rtr);
    EXPECT_EQ(m.dlc, 0u);
    EXPECT_EQ(m.data, (std::array<uint8_t, 8>{}));
}

TEST_F(ChannelFixture, WaitForIdDropsOtherIdentifiers) {
    PeerSend(0x181, {1});
    PeerSend(0x581, {0x4B, 0, 0x10, 0});
    tagOPEN_Message m;
    EXPECT_EQ(CanWaitForId(100, 0x581, &m), CAN_RESULT_ONE);
    EXPECT_EQ(m.id, 0x581u);
    // The 0x181 frame was consumed by the wait.
    EXPECT_EQ(CanRead(&m), CAN_RESULT_NONE);
}

TEST_F(ChannelFixture, WaitForRangeWithLowFFFFTakesAnyFrame) {
    PeerSend(0x123, {1});
    tagOPEN_Message m;
    const CanIdRange any{0xFFFF, 0};
    EXPECT_EQ(CanWaitForRange(100, &any, &m), CAN_RESULT_ONE);
    EXPECT_EQ(m.id, 0x123u);
    const CanIdRange range{0x580, 0x5FF};
    PeerSend(0x600, {1});
    PeerSend(0x5A0, {1});
    EXPECT_EQ(CanWaitForRange(100, &range, &m), CAN_RESULT_ONE);
    EXPECT_EQ(m.id, 0x5A0u);
}

TEST_F(ChannelFixture, ZeroWaitStillReadsOnce) {
    tagOPEN_Message m;
    const uint64_t t0 = vt->NowUs();
    EXPECT_EQ(CanWaitForId(0, 0x181, &m), CAN_RESULT_NONE);
    EXPECT_EQ(vt->NowUs(), t0);
    PeerSend(0x181, {7});
    EXPECT_EQ(CanWaitForId(0, 0x181, &m), CAN_RESULT_ONE);
    EXPECT_EQ(m.data[0], 7);
}

TEST_F(ChannelFixture, WaitReturnsWhenTheFrameArrivesAndTimesOutOtherwise) {
    tagOPEN_Message m;
    const uint64_t t0 = vt->NowUs();
    vt->ScheduleAt(t0 + 50'000, [this] { PeerSend(0x581, {0x60}); });
    EXPECT_EQ(CanWaitForId(200, 0x581, &m), CAN_RESULT_ONE);
    EXPECT_EQ(vt->NowUs(), t0 + 50'000);

    const uint64_t t1 = vt->NowUs();
    EXPECT_EQ(CanWaitForId(200, 0x581, &m), CAN_RESULT_NONE);
    EXPECT_EQ(vt->NowUs(), t1 + 200'000);
}

TEST_F(ChannelFixture, WriteSendsDataBytesUpToTheLengthOnly) {
    tagOPEN_Message m;
    m.id = 0x601;
    m.dlc = 2;
    m.data = {0x40, 0x18, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(CanWrite(&m));
    EXPECT_EQ(m.direction, CAN_DIR_TX);
    BusFrame f;
    ASSERT_TRUE(peer->TryReceive(f));
    EXPECT_EQ(f.id, 0x601u);
    EXPECT_EQ(f.len, 2);
    EXPECT_EQ(f.data, (std::array<uint8_t, 8>{0x40, 0x18, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ChannelFixture, WriteOnAClosedChannelFailsAndReopens) {
    ASSERT_TRUE(CanClose());
    EXPECT_FALSE(CanActive);
    tagOPEN_Message m;
    m.id = 0x000;
    m.dlc = 2;
    EXPECT_FALSE(CanWrite(&m));
    BusFrame f;
    EXPECT_FALSE(peer->TryReceive(f));  // not sent
    EXPECT_TRUE(CanActive);             // but the channel is open again
    EXPECT_TRUE(CanWrite(&m));
    EXPECT_TRUE(peer->TryReceive(f));
}

TEST_F(ChannelFixture, ReadOnAClosedChannelIsNoChannel) {
    CanClose();
    tagOPEN_Message m;
    EXPECT_EQ(CanRead(&m), CAN_RESULT_NO_CHANNEL);
}

TEST_F(ChannelFixture, InvalidBitRateIndexClosesWithAMessage) {
    DefaultCanSettings().SetVariable("Baudr", 9);
    EXPECT_FALSE(CanOpen());
    EXPECT_FALSE(CanActive);
    ASSERT_EQ(op.Messages().size(), 1u);
    EXPECT_NE(op.Messages()[0].find("Baud rate not found"), std::string::npos);
    DefaultCanSettings().SetVariable("Baudr", 2);
}

TEST_F(ChannelFixture, StationAtAnotherRateSeesNothing) {
    DefaultCanSettings().SetVariable("Baudr", 3);  // 250 kbit/s
    ASSERT_TRUE(CanOpen());
    PeerSend(0x181, {1});  // the device talks at 500
    tagOPEN_Message m;
    EXPECT_EQ(CanRead(&m), CAN_RESULT_NONE);
    DefaultCanSettings().SetVariable("Baudr", 2);
    ASSERT_TRUE(CanOpen());
    PeerSend(0x181, {1});
    EXPECT_EQ(CanRead(&m), CAN_RESULT_ONE);
}

TEST_F(ChannelFixture, BusOffStatusFrameReopensTheChannel) {
    iface->Endpoint().InjectStatus(PCAN_ERROR_BUSOFF);
    PeerSend(0x181, {1});
    tagOPEN_Message m;
    EXPECT_EQ(CanRead(&m), CAN_RESULT_NONE);  // the status frame is not a data frame
    PeerSend(0x181, {2});
    EXPECT_EQ(CanRead(&m), CAN_RESULT_ONE);
    EXPECT_EQ(m.data[0], 2);
}

TEST_F(ChannelFixture, TraceLogsOnlyWhileEnabledWithDirections) {
    tagOPEN_Message tx;
    tx.id = 0x601;
    tx.dlc = 1;
    EXPECT_TRUE(CanWrite(&tx));  // before start: not logged
    CanTraceStart();
    EXPECT_TRUE(CanWrite(&tx));
    PeerSend(0x581, {0x60});
    tagOPEN_Message rx;
    EXPECT_EQ(CanRead(&rx), CAN_RESULT_ONE);
    CanTraceDisable();
    EXPECT_TRUE(CanWrite(&tx));
    PeerSend(0x581, {0x60});
    EXPECT_EQ(CanRead(&rx), CAN_RESULT_ONE);

    CANLogger& log = CanTraceLogger();
    ASSERT_EQ(log.Size(), 2u);
    EXPECT_EQ(log.At(0).id, 0x601u);
    EXPECT_EQ(log.At(0).direction, CAN_DIR_TX);
    EXPECT_EQ(log.At(1).id, 0x581u);
    EXPECT_EQ(log.At(1).direction, CAN_DIR_RX);
}

TEST(VirtualCanHandle, NegativeHandleStoresZero) {
    VirtualCanHandle h;
    h.SetHandle(-5);
    EXPECT_EQ(h.GetHandle(), 0u);
    h.SetHandle(1);
    VirtualCanHandle other;
    EXPECT_FALSE(h.IsSameHandle(&other));
    EXPECT_TRUE(h.CopyTo(&other));
    EXPECT_TRUE(h.IsSameHandle(&other));
}

TEST(ChannelThreads, TwoWritersNeverCorruptTheChannelOrTheLogger) {
    // Real time: no waits here, only the locks are exercised.
    DefaultCanSettings().SetVariable("Baudr", 2);
    auto bus = VirtualBus::Create();
    auto iface = std::make_shared<VirtualCanInterface>(bus);
    CanSetInterface(iface);
    auto peer = bus->CreateEndpoint("device");
    peer->Open(500);
    ASSERT_TRUE(CanOpen());
    CanTraceStart();
    constexpr int kPerThread = 5000;
    auto writer = [](uint32_t id) {
        for (int i = 0; i < kPerThread; ++i) {
            tagOPEN_Message m;
            m.id = id;
            m.dlc = 1;
            CanWrite(&m);
        }
    };
    std::thread a(writer, 0x100), b(writer, 0x200);
    a.join();
    b.join();
    EXPECT_EQ(CanTraceLogger().Size(), 2u * kPerThread);
    EXPECT_EQ(peer->Pending(), 2u * kPerThread);
    CanTraceLogger().Disable();
    CanTraceLogger().Clear();
    CanSetInterface(nullptr);
}
