#include <random>

#include "SimFixture.h"

// Random frames on the device's identifiers: whatever they do to its settings, the device
// never crashes, keeps its memory bounded and still answers once switched on again.
TEST_F(SimFixture, RandomFramesNeverBreakTheDevice) {
    Start();
    std::mt19937 rng(4711);
    const uint32_t ids[] = {0x000, 0x080, 0x601, 0x701, 0x7E5, 0x181, 0x281};
    for (int i = 0; i < 20000; ++i) {
        BusFrame f;
        f.id = rng() % 4 == 0 ? rng() % 0x800 : ids[rng() % std::size(ids)];
        f.rtr = rng() % 8 == 0;
        f.len = static_cast<uint8_t>(rng() % 9);
        for (auto& b : f.data) b = static_cast<uint8_t>(rng());
        // Keep the production-write trailer now and then, so those frames reach the parser.
        if (f.id == 0x7E5 && rng() % 2) {
            f.len = 8;
            f.data[0] = 0x8C;
            f.data[6] = 0x57;
            f.data[7] = 0x54;
        }
        tester->Send(f);
        if (i % 50 == 0) vt->AdvanceByMs(rng() % 20);
        tester->ClearQueue();
    }
    encoder->Inspect([](const EncoderDevice& d) { EXPECT_EQ(d.DroppedLateFrames(), 0u); });
    PowerCycle();
    Received();
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}), Text(0x581, {0x43, 0x18, 0x10, 0x04, 0x78, 0x56, 0x34, 0x12}));
}

TEST(SimBusPackets, RandomPacketsDecodeWithoutHarm) {
    std::mt19937 rng(99);
    size_t frames = 0;
    for (int i = 0; i < 20000; ++i) {
        std::vector<uint8_t> p(rng() % 3 == 0 ? 16 : rng() % 40);
        for (auto& b : p) b = static_cast<uint8_t>(rng());
        if (p.size() == 16 && rng() % 2) {  // mostly well-formed frames
            p[1] &= 0x07;
            p[2] = 0;
            p[3] = rng() % 2 ? 0x40 : 0x00;
            p[4] %= 9;
        } else if (p.size() > 3 && rng() % 3 == 0) {
            p[0] = 'Q';
            p[1] = 'Z';
            p[2] = ' ';
        }
        const SimBusPacket d = DecodeSimBusPacket(p);
        if (d.kind == SimBusPacket::Kind::Frame) {
            ++frames;
            EXPECT_LE(d.frame.len, 8);
            EXPECT_LE(d.frame.id, 0x7FFu);
        }
        if (d.kind == SimBusPacket::Kind::Name) {
            EXPECT_LE(d.text.size(), kSimBusMaxNameLength);
        }
    }
    EXPECT_GT(frames, 0u);
    // A frame survives the round trip.
    const BusFrame f = MakeFrame(0x123, {1, 2, 3});
    const auto packet = EncodeSimBusFrame(f);
    EXPECT_EQ(Text(DecodeSimBusPacket(packet).frame), "123 3  01 02 03");
    EXPECT_EQ(DecodeSimBusPacket(EncodeSimBusFrame(MakeRemoteFrame(0x701, 1))).frame.rtr, true);
}
