// The PCAN adapter through the stand-in library: opening, reading, writing, status frames,
// channel discovery.

#include <QThread>

#include "CanStatusText.h"
#include "PeakFixture.h"

namespace {

TEST_F(PeakFixture, Baudr4OpensTheConfiguredDeviceWithCode031C) {
    Current();
    ASSERT_TRUE(CanOpen());
    const PcanSimChannelState s = sim.State(0x51);  // device number 1
    EXPECT_EQ(s.initialised, 1u);
    EXPECT_EQ(s.lastInitCode, 0x031Cu);
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(status.lastText, "Channel active");
    EXPECT_EQ(status.lastColor, StatusColor::Green);
    EXPECT_EQ(status.lastBitRate, 125);
    EXPECT_EQ(CanGetHandleObject()->GetHandle(), 0x51u);
    EXPECT_TRUE(op.calls.empty());
}

TEST_F(PeakFixture, Baudr9ShowsBaudRateNotFoundAndLeavesTheChannelClosed) {
    Current();
    DefaultCanSettings().SetVariable("Baudr", 9);
    EXPECT_FALSE(CanOpen());
    ASSERT_EQ(op.Messages().size(), 1u);
    EXPECT_EQ(op.Messages()[0], std::string("CAN Initialization: ") + PCANSIM_LIBRARY + ": Baud rate not found");
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(sim.State(0x51).initializeCalls, 0u);
}

TEST_F(PeakFixture, BadRateClosesAnOpenChannelForReal) {
    Current();
    ASSERT_TRUE(CanOpen());
    DefaultCanSettings().SetVariable("Baudr", -1);
    EXPECT_FALSE(CanOpen());
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(sim.State(0x51).initialised, 0u);
    // With a good rate again the channel opens without a library complaint.
    DefaultCanSettings().SetVariable("Baudr", 2);
    EXPECT_TRUE(CanOpen());
    EXPECT_EQ(sim.State(0x51).lastInitCode, 0x001Cu);
}

TEST_F(PeakFixture, SecondInitAtTheOpenRateOnlyEmptiesTheQueue) {
    Current();
    ASSERT_TRUE(CanOpen());
    const PcanSimChannelState before = sim.State(0x51);
    sim.InjectFrame(0x51, Frame(0x181, {1}));
    sim.InjectFrame(0x51, Frame(0x182, {2}));
    ASSERT_TRUE(CanOpen());
    const PcanSimChannelState s = sim.State(0x51);
    EXPECT_EQ(s.initializeCalls, before.initializeCalls);
    EXPECT_EQ(s.uninitializeCalls, before.uninitializeCalls);
    EXPECT_EQ(s.framesQueued, 0u);
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);

    // Another rate re-opens the channel with its code.
    DefaultCanSettings().SetVariable("Baudr", 0);
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(sim.State(0x51).uninitializeCalls, before.uninitializeCalls + 1);
    EXPECT_EQ(sim.State(0x51).lastInitCode, 0x0014u);
    EXPECT_EQ(status.lastBitRate, 1000);
}

TEST_F(PeakFixture, InitWaitsCanInitDelayAfterOpening) {
    Current();
    DefaultCanSettings().SetVariable("CANInitDelay", 250);
    const uint64_t start = vt->NowUs();
    ASSERT_TRUE(CanOpen());
    EXPECT_GE(vt->NowUs() - start, 250000u);
}

TEST_F(PeakFixture, BusOffStatusFrameReportsAndReopensTheChannel) {
    auto iface = Current();
    ASSERT_TRUE(CanOpen());
    const PcanSimChannelState before = sim.State(0x51);
    sim.InjectStatus(0x51, 0x00000010);
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);
    const PcanSimChannelState s = sim.State(0x51);
    EXPECT_EQ(s.uninitializeCalls, before.uninitializeCalls + 1);
    EXPECT_EQ(s.initializeCalls, before.initializeCalls + 1);
    EXPECT_EQ(s.initialised, 1u);
    EXPECT_TRUE(CanActive);

    // Bus light is reported and nothing else happens.
    DriverFrame light;
    light.msgType = DRIVER_MSGTYPE_STATUS;
    light.data = {0, 0, 0, 4, 0, 0, 0, 0};
    EXPECT_EQ(iface->HandleStatusFrame(&light), 4u);
    EXPECT_EQ(sim.State(0x51).initializeCalls, before.initializeCalls + 1);
}

TEST_F(PeakFixture, BusOffOnWriteReopensTheChannel) {
    Current();
    ASSERT_TRUE(CanOpen());
    const uint32_t opened = sim.State(0x51).initializeCalls;
    sim.SetFailure(PCANSIM_FAIL_WRITE, PCAN_ERROR_BUSOFF, 1);
    tagOPEN_Message msg;
    msg.id = 0x601;
    msg.dlc = 1;
    EXPECT_FALSE(CanWrite(&msg));
    EXPECT_EQ(sim.State(0x51).initializeCalls, opened + 1);
    EXPECT_TRUE(CanWrite(&msg));
}

TEST_F(PeakFixture, FullTransmitQueueFailsTheWriteAndKeepsTheChannel) {
    Current();
    ASSERT_TRUE(CanOpen());
    const uint32_t opened = sim.State(0x51).initializeCalls;
    sim.SetFailure(PCANSIM_FAIL_WRITE, PCAN_ERROR_QXMTFULL, 1);
    tagOPEN_Message msg;
    msg.id = 0x601;
    EXPECT_FALSE(CanWrite(&msg));
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(sim.State(0x51).initializeCalls, opened);
    EXPECT_TRUE(CanWrite(&msg));
    EXPECT_EQ(sim.State(0x51).framesWritten, 1u);
}

TEST_F(PeakFixture, LibraryTimeStampBecomesMicroseconds) {
    Current();
    ASSERT_TRUE(CanOpen());
    TPCANTimestamp ts{2, 0, 500};
    sim.InjectFrame(0x51, Frame(0x181, {0xAA}), &ts);
    TPCANTimestamp overflow{0, 1, 0};
    sim.InjectFrame(0x51, Frame(0x182, {0xBB}), &overflow);
    tagOPEN_Message msg;
    ASSERT_EQ(CanReadOne(&msg), CAN_RESULT_ONE);
    EXPECT_EQ(msg.timestamp, 2500u);
    ASSERT_EQ(CanReadOne(&msg), CAN_RESULT_ONE);
    EXPECT_EQ(msg.timestamp, 4294967296000ull);
}

TEST_F(PeakFixture, HardwareId0x1ASelectsTheFirstProbedChannelWithDevice26) {
    sim.ClearChannels();
    sim.AddChannel(0x41, 25, "PCAN-PCI");
    sim.AddChannel(0x52, 26, "PCAN-USB");
    sim.AddChannel(0x51, 26, "PCAN-USB");
    sim.AddChannel(0x801, 26, "PCAN-LAN");
    DefaultCanSettings().SetConfig("[CAN_TREIBER_HWID]", "0x1A");
    Current();
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(CanGetHandleObject()->GetHandle(), 0x51u);
    EXPECT_EQ(static_cast<PeakCanHandle*>(CanGetHandleObject())->DeviceNumber(), 26u);
    EXPECT_EQ(sim.State(0x51).initialised, 1u);
    // The probe of 0x41 opened and closed it again; 0x52 comes later and is never probed.
    EXPECT_EQ(sim.State(0x41).initialised, 0u);
    EXPECT_EQ(sim.State(0x41).initializeCalls, 1u);
    EXPECT_EQ(sim.State(0x41).uninitializeCalls, 1u);
    EXPECT_EQ(sim.State(0x52).getStatusCalls, 0u);
}

TEST_F(PeakFixture, HardwareIdNotConnectedIsReported) {
    DefaultCanSettings().SetConfig("[CAN_TREIBER_HWID]", "0x33");
    Current();
    EXPECT_FALSE(CanOpen());
    EXPECT_EQ(op.Messages(), std::vector<std::string>{"HardwareID error: No HardwareID 0x33 connected."});
    EXPECT_EQ(CanGetHandleObject()->GetHandle(), 0u);
    EXPECT_FALSE(CanActive);
}

TEST_F(PeakFixture, WritingWhileClosedReturnsFalseAndReopens) {
    Current();
    tagOPEN_Message msg;
    msg.id = 0x601;
    msg.dlc = 2;
    msg.data = {0x40, 0x00};
    EXPECT_FALSE(CanWrite(&msg));
    EXPECT_EQ(msg.direction, CAN_DIR_TX);
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(sim.State(0x51).framesWritten, 0u);
    EXPECT_TRUE(CanWrite(&msg));
    EXPECT_EQ(sim.State(0x51).framesWritten, 1u);
}

TEST_F(PeakFixture, ReadWhileClosedReturnsNoChannel) {
    Current();
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NO_CHANNEL);
    EXPECT_EQ(msg.direction, CAN_DIR_RX);
}

TEST_F(PeakFixture, ReadDrainsTheQueueAndKeepsTheLastFrame) {
    Current();
    ASSERT_TRUE(CanOpen());
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);
    EXPECT_EQ(msg.rxCount, 0u);
    sim.InjectFrame(0x51, Frame(0x181, {1, 2}));
    sim.InjectStatus(0x51, PCAN_ERROR_BUSLIGHT);  // not counted as a frame
    sim.InjectFrame(0x51, Frame(0x281, {3}));
    sim.InjectFrame(0x51, Frame(0x381, {4, 5, 6}));
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_SEVERAL);
    EXPECT_EQ(msg.rxCount, 3u);
    EXPECT_EQ(msg.id, 0x381u);
    EXPECT_EQ(msg.dlc, 3u);
    EXPECT_EQ(msg.data, (std::array<uint8_t, 8>{4, 5, 6, 0, 0, 0, 0, 0}));
    EXPECT_EQ(msg.hostTime, HrTimeNow());
    sim.InjectFrame(0x51, Frame(0x701, {9, 9}, DRIVER_MSGTYPE_RTR));
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_ONE);
    EXPECT_TRUE(msg.rtr);
    EXPECT_EQ(msg.dlc, 0u);
    EXPECT_EQ(msg.data, (std::array<uint8_t, 8>{}));
}

TEST_F(PeakFixture, WaitForIdDropsOtherFramesAndTimesOutOnVirtualTime) {
    Current();
    ASSERT_TRUE(CanOpen());
    sim.InjectFrame(0x51, Frame(0x181, {1}));
    sim.InjectFrame(0x51, Frame(0x581, {0x43}));
    tagOPEN_Message msg;
    EXPECT_EQ(CanWaitForId(100, 0x581, &msg), CAN_RESULT_ONE);
    EXPECT_EQ(msg.data[0], 0x43);
    const uint64_t start = vt->NowUs();
    EXPECT_EQ(CanWaitForId(2000, 0x581, &msg), CAN_RESULT_NONE);
    EXPECT_GE(vt->NowUs() - start, 2000000u);
}

TEST_F(PeakFixture, WrittenFramesReachAnotherChannelOfTheLibrary) {
    Current();
    ASSERT_TRUE(CanOpen());
    // A second interface on channel 0x52 at the same rate; it is not the current one.
    auto peer = std::make_shared<PeakCanInterface>(PCANSIM_LIBRARY);
    peer->HandleObject()->SetHandle(0x52);
    ASSERT_TRUE(peer->Init());
    EXPECT_EQ(sim.State(0x52).lastInitCode, 0x031Cu);
    tagOPEN_Message out;
    out.id = 0x181;
    out.dlc = 2;
    out.data = {0x12, 0x34};
    ASSERT_TRUE(CanWrite(&out));
    tagOPEN_Message in;
    ASSERT_EQ(peer->Read(&in), CAN_RESULT_ONE);
    EXPECT_EQ(in.id, 0x181u);
    EXPECT_EQ(in.data[1], 0x34);
}

TEST_F(PeakFixture, ReadDataCopiesTheWantedFrameOnly) {
    auto iface = Current();
    ASSERT_TRUE(CanOpen());
    sim.InjectFrame(0x51, Frame(0x181, {1, 1}));
    sim.InjectFrame(0x51, Frame(0x281, {7, 8, 9}));
    std::array<uint8_t, 8> data{0xFF, 0xFF, 0xFF, 0xFF};
    ASSERT_TRUE(CanReadData(0x281, data.data()));
    EXPECT_EQ(data, (std::array<uint8_t, 8>{7, 8, 9, 0xFF, 0, 0, 0, 0}));
    data.fill(0xEE);
    EXPECT_FALSE(CanReadData(0x281, data.data()));
    EXPECT_EQ(data[0], 0);
}

TEST_F(PeakFixture, StatusLabelTextsAndUnknownValuesInHex) {
    EXPECT_EQ(CanStatusText(0), "Channel active");
    EXPECT_EQ(CanStatusText(1), "Send buffer is full");
    EXPECT_EQ(CanStatusText(2), "Overflow");
    EXPECT_EQ(CanStatusText(3), "not used");
    EXPECT_EQ(CanStatusText(4), "ErrorCounter at limit");
    EXPECT_EQ(CanStatusText(8), "ErrorCounter at limit");
    EXPECT_EQ(CanStatusText(16), "Bus Off");
    EXPECT_EQ(CanStatusText(17), "0x11");
    EXPECT_EQ(CanStatusText(0x4000000), "0x4000000");

    Current();
    EXPECT_EQ(CanGetStatus(), PCAN_ERROR_INITIALIZE);  // handle 0: nothing chosen yet
    EXPECT_EQ(status.lastText, "0x4000000");
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(CanGetStatus(), 0u);
    EXPECT_EQ(status.lastText, "Channel active");
}

TEST_F(PeakFixture, ApiVersionAndHandleChecks) {
    auto iface = Current();
    sim.SetApiVersion("9.8.7");
    std::string text;
    EXPECT_EQ(CanGetApiVersion(text, 256), 0u);
    EXPECT_EQ(text, "9.8.7");

    PeakCanHandle outside(0x99, 1);
    EXPECT_FALSE(iface->ActivateHandle(&outside));
    uint32_t st = 0;
    EXPECT_FALSE(iface->CanInitializeHandle(0, 0x031C, &st));
    EXPECT_FALSE(iface->CanUninitializeHandle(0, &st));

    PeakCanHandle h;
    EXPECT_EQ(h.DeviceNumber(), 0xFFFFFFFFu);
    h.SetHandle(-5);
    EXPECT_EQ(h.GetHandle(), 0u);
    PeakCanHandle a(0x51, 1), b(0x51, 7), c(0x52, 1);
    EXPECT_TRUE(a.IsSameHandle(&b));
    EXPECT_FALSE(a.IsSameHandle(&c));
    EXPECT_TRUE(c.CopyTo(&a));
    EXPECT_EQ(a.GetHandle(), 0x52u);
}

TEST_F(PeakFixture, AnInterfaceWithAForeignHandleObjectRefusesEveryOperation) {
    auto iface = Current();
    class Foreign final : public IHandleType {
    public:
        bool IsSameHandle(const IHandleType*) const override { return false; }
        bool CopyTo(IHandleType*) const override { return false; }
    };
    iface->SetHandleObject(std::make_unique<Foreign>());
    tagOPEN_Message msg;
    EXPECT_FALSE(iface->Init());
    EXPECT_FALSE(iface->Write(&msg));
    EXPECT_EQ(iface->Read(&msg), CAN_RESULT_NO_CHANNEL);
    EXPECT_EQ(iface->ReadOne(&msg), CAN_RESULT_NO_CHANNEL);
    EXPECT_EQ(iface->GetStatus(), 0xFFFFFFFFu);
    std::string text;
    EXPECT_EQ(iface->GetApiVersion(text), 0xFFFFFFFFu);
}

TEST_F(PeakFixture, ChannelListHoldsEveryChannelWithItsLibraryHandle) {
    sim.AddChannel(0x801, 40, "PCAN-LAN", "LAN 1.0");
    auto lister = std::make_shared<PeakCanInterface>(PCANSIM_LIBRARY);
    std::vector<CanChannelInfo> list;
    ASSERT_TRUE(lister->GetChannelList(list, true));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].handleRef, 0x51u);
    EXPECT_EQ(list[0].deviceNumber, 1u);
    EXPECT_EQ(list[0].hardwareName, "PCAN-USB");
    EXPECT_EQ(list[2].handleRef, 0x801u);
    EXPECT_EQ(list[2].deviceNumber64, 40u);
    EXPECT_EQ(list[2].channelVersion, "LAN 1.0");
    EXPECT_EQ(list[2].owner, lister);
    // Probed channels were closed again.
    EXPECT_EQ(sim.State(0x801).initialised, 0u);
}

}  // namespace

namespace {

// The stand-in library joined to a virtual bus: the station's PCAN channel talks to a device
// endpoint on the bus, at its bit rate only.
TEST_F(PeakFixture, StandInLibraryJoinedToAVirtualBusCarriesFramesBothWays) {
    auto bus = VirtualBus::Create();
    sim.AttachBus(bus);
    auto device = bus->CreateEndpoint("device");
    device->Open(125);
    auto elsewhere = bus->CreateEndpoint("other rate");
    elsewhere->Open(500);

    Current();
    ASSERT_TRUE(CanOpen());
    tagOPEN_Message out;
    out.id = 0x601;
    out.dlc = 8;
    out.data = {0x40, 0x00, 0x10, 0x00, 0, 0, 0, 0};
    ASSERT_TRUE(CanWrite(&out));
    BusFrame f;
    ASSERT_TRUE(device->TryReceive(f));
    EXPECT_EQ(f.id, 0x601u);
    EXPECT_EQ(f.len, 8);
    EXPECT_EQ(f.data[0], 0x40);
    EXPECT_FALSE(elsewhere->TryReceive(f));

    vt->AdvanceByMs(3);
    BusFrame answer;
    answer.id = 0x581;
    answer.len = 4;
    answer.data = {0x43, 0x00, 0x10, 0x00};
    device->Send(answer);
    BusFrame wrongRate = answer;
    wrongRate.id = 0x582;
    elsewhere->Send(wrongRate);
    tagOPEN_Message in;
    ASSERT_EQ(CanWaitForId(100, 0x581, &in), CAN_RESULT_ONE);
    EXPECT_EQ(in.data[0], 0x43);
    EXPECT_EQ(in.timestamp, vt->NowUs());
    EXPECT_EQ(CanRead(&in), CAN_RESULT_NONE);  // nothing from the 500 kbit/s endpoint
    sim.Detach();
}

}  // namespace
