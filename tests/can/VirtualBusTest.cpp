#include <gtest/gtest.h>

#include "VirtualBus.h"
#include "VirtualTimeSource.h"

namespace {
BusFrame F(uint32_t id, uint8_t len = 0) {
    BusFrame f;
    f.id = id;
    f.len = len;
    return f;
}
}  // namespace

TEST(VirtualBus, FramesReachOnlyEndpointsAtTheSameRate) {
    ScopedVirtualTime vt;
    auto bus = VirtualBus::Create();
    auto a = bus->CreateEndpoint("a"), b = bus->CreateEndpoint("b"), c = bus->CreateEndpoint("c"),
         any = bus->CreateEndpoint("any");
    a->Open(500);
    b->Open(500);
    c->Open(250);
    any->Open(0);
    a->Send(F(0x181));
    BusFrame f;
    EXPECT_TRUE(b->TryReceive(f));
    EXPECT_FALSE(c->TryReceive(f));
    EXPECT_TRUE(any->TryReceive(f));
    EXPECT_FALSE(a->TryReceive(f));  // no echo to the sender
    // A sender open at every rate reaches all.
    any->Send(F(0x182));
    EXPECT_TRUE(b->TryReceive(f));
    EXPECT_TRUE(c->TryReceive(f));
}

TEST(VirtualBus, ClosedEndpointsNeitherSendNorReceive) {
    ScopedVirtualTime vt;
    auto bus = VirtualBus::Create();
    auto a = bus->CreateEndpoint("a"), b = bus->CreateEndpoint("b");
    a->Open(500);
    EXPECT_TRUE(a->Send(F(1)));
    b->Open(500);
    b->Close();
    a->Send(F(2));
    BusFrame f;
    EXPECT_FALSE(b->TryReceive(f));
    EXPECT_FALSE(b->Send(F(3)));
}

TEST(VirtualBus, QueueIsBoundedAndCountsOverflow) {
    ScopedVirtualTime vt;
    VirtualBus::Options o;
    o.queueCapacity = 3;
    auto bus = VirtualBus::Create(o);
    auto a = bus->CreateEndpoint("a"), b = bus->CreateEndpoint("b");
    a->Open(125);
    b->Open(125);
    for (uint32_t i = 0; i < 5; ++i) a->Send(F(i));
    EXPECT_EQ(b->Pending(), 3u);
    EXPECT_EQ(b->Overflows(), 2u);
    BusFrame f;
    ASSERT_TRUE(b->TryReceive(f));
    EXPECT_EQ(f.id, 0u);  // the oldest are kept
}

TEST(VirtualBus, DelayLossAndHandlers) {
    ScopedVirtualTime vt;
    auto bus = VirtualBus::Create();
    auto a = bus->CreateEndpoint("a"), b = bus->CreateEndpoint("b");
    a->Open(500);
    b->Open(500);
    std::vector<uint32_t> seen;
    b->SetHandler([&](const BusFrame& f) { seen.push_back(f.id); });
    bus->SetDelayUs(1000);
    a->Send(F(1));
    EXPECT_TRUE(seen.empty());
    vt->AdvanceByUs(999);
    EXPECT_TRUE(seen.empty());
    vt->AdvanceByUs(1);
    EXPECT_EQ(seen, std::vector<uint32_t>{1});
    bus->SetDelayUs(0);
    bus->SetLoseEveryNth(2);
    for (uint32_t i = 10; i < 14; ++i) a->Send(F(i));
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 10, 12}));
    EXPECT_EQ(bus->FramesLost(), 2u);
}

TEST(VirtualBus, BusTimingHoldsEachFrameForItsWireTime) {
    ScopedVirtualTime vt;
    auto bus = VirtualBus::Create();
    bus->SetBusTiming(true);
    auto a = bus->CreateEndpoint("a"), b = bus->CreateEndpoint("b");
    a->Open(1000);
    b->Open(1000);
    BusFrame full = F(0x181, 8);
    full.data = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    const uint32_t bits = CanFrameBitLength(full);
    // 8 data bytes: 111 bits without stuffing plus the interframe space, at most ~24 stuff bits.
    EXPECT_GE(bits, 111u);
    EXPECT_LE(bits, 140u);
    const uint64_t t0 = vt->NowUs();
    a->Send(full);
    a->Send(full);  // queued behind the first on the wire
    EXPECT_EQ(b->Pending(), 0u);
    vt->AdvanceByUs(bits);
    EXPECT_EQ(b->Pending(), 1u);
    vt->AdvanceByUs(bits);
    EXPECT_EQ(b->Pending(), 2u);
    BusFrame f;
    ASSERT_TRUE(b->TryReceive(f));
    EXPECT_EQ(f.timeUs, t0 + bits);
}

TEST(CanFrameBitLength, CountsStuffBits) {
    // All-zero data produces long runs of equal bits and so more stuff bits than alternating data.
    BusFrame zeros = F(0x000, 8);
    BusFrame mixed = F(0x555, 8);
    mixed.data = {0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55};
    EXPECT_GT(CanFrameBitLength(zeros), CanFrameBitLength(mixed));
    // An empty remote frame: 19 + 4 + 15 + 1 + 1 + 1 + 7 + 3 = 47 bits before stuffing... plus SOF/ID.
    BusFrame rtr = F(0x701, 8);
    rtr.rtr = true;
    EXPECT_LT(CanFrameBitLength(rtr), CanFrameBitLength(mixed));
}

TEST(VirtualBus, WaitReceiveAdvancesVirtualTimeToTheArrival) {
    ScopedVirtualTime vt;
    auto bus = VirtualBus::Create();
    auto a = bus->CreateEndpoint("a"), b = bus->CreateEndpoint("b");
    a->Open(500);
    b->Open(500);
    const uint64_t t0 = vt->NowUs();
    vt->ScheduleAt(t0 + 7000, [&] { a->Send(F(5)); });
    EXPECT_TRUE(b->WaitReceive(t0 + 100000));
    EXPECT_EQ(vt->NowUs(), t0 + 7000);
    BusFrame f;
    ASSERT_TRUE(b->TryReceive(f));
    EXPECT_FALSE(b->WaitReceive(t0 + 20000));
    EXPECT_EQ(vt->NowUs(), t0 + 20000);
}

TEST(VirtualBus, AHandlerThatAnswersDuringDeliveryLeavesTheOtherTargetsIntact) {
    ScopedVirtualTime vt;
    auto bus = VirtualBus::Create();
    auto station = bus->CreateEndpoint("station"), device = bus->CreateEndpoint("device"),
         second = bus->CreateEndpoint("second"), third = bus->CreateEndpoint("third");
    for (auto* ep : {&station, &device, &second, &third}) (*ep)->Open(500);
    // The device answers every request at once, from inside the delivery of the request.
    device->SetHandler([&](const BusFrame& f) {
        if (f.id == 0x601) device->Send(F(0x581));
    });
    station->Send(F(0x601));
    BusFrame f;
    // Both other endpoints saw the request and then the answer, as on a real bus: the answer
    // never overtakes the request that caused it.
    for (auto* ep : {&second, &third}) {
        ASSERT_TRUE((*ep)->TryReceive(f));
        EXPECT_EQ(f.id, 0x601u);
        ASSERT_TRUE((*ep)->TryReceive(f));
        EXPECT_EQ(f.id, 0x581u);
    }
    ASSERT_TRUE(station->TryReceive(f));
    EXPECT_EQ(f.id, 0x581u);
}
