#include "SimFixture.h"

namespace {
BusFrame WProg(uint8_t code, uint32_t value) {
    return MakeFrame(0x7E5, {0x8C, code, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                             static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24), 0x57, 0x54});
}
const std::string kAck = Text(0x7E4, {0x8C, 0, 0, 0, 0, 0, 0, 0});
}  // namespace

class SimProduction : public SimFixture {
protected:
    void SetUp() override { StartWithFile(); }
    Frames Write(uint8_t code, uint32_t value) {
        Received();
        tester->Send(WProg(code, value));
        return Received();
    }
};

TEST_F(SimProduction, AcknowledgesAndAppliesNumericParameters) {
    EXPECT_EQ(Write(0x0C, 10), Frames{kAck});  // InhibitPdo1
    EXPECT_EQ(Sdo({0x40, 0x00, 0x18, 0x03, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x00, 0x18, 0x03, 0x0A, 0x00, 0, 0}));
    EXPECT_EQ(Write(0x7C, 0xCAFE0001), Frames{kAck});  // SerialNr: identity and 0x650B
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}), Text(0x581, {0x43, 0x18, 0x10, 0x04, 0x01, 0x00, 0xFE, 0xCA}));
    EXPECT_EQ(Sdo({0x40, 0x0B, 0x65, 0x00, 0, 0, 0, 0}), Text(0x581, {0x43, 0x0B, 0x65, 0x00, 0x01, 0x00, 0xFE, 0xCA}));
    EXPECT_EQ(Write(0x01, 0x200), Frames{kAck});  // Pdo1Id as a base: the node id is added
    EXPECT_EQ(Sdo({0x40, 0x00, 0x18, 0x01, 0, 0, 0, 0}), Text(0x581, {0x43, 0x00, 0x18, 0x01, 0x01, 0x02, 0, 0}));
}

TEST_F(SimProduction, NodeIdAndBitRateTakeEffectAfterReset) {
    EXPECT_EQ(Write(0x08, 10), Frames{kAck});
    EXPECT_EQ(Write(0x09, 3), Frames{kAck});  // 250 kbit/s
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x7F})});
    Send(0x000, {0x81, 0x01});
    vt->AdvanceByMs(1);
    EXPECT_EQ(encoder->BitRateKbit(), 250);
    EXPECT_EQ(encoder->NodeId(), 10);
    tester->Open(250);
    SendRemote(0x70A);
    EXPECT_EQ(Received(), Frames{Text(0x70A, {0x7F})});
}

TEST_F(SimProduction, StringsArriveCharacterByCharacter) {
    // "AB" at the device-name address 0x0100, then the terminating zero.
    EXPECT_EQ(Write(0x80, 0x41000100), Frames{kAck});
    EXPECT_EQ(Write(0x80, 0x42000101), Frames{kAck});
    EXPECT_EQ(Sdo({0x40, 0x08, 0x10, 0x00, 0, 0, 0, 0}).substr(0, 8), "581 8  4");  // unchanged yet
    EXPECT_EQ(Write(0x80, 0x00000102), Frames{kAck});
    EXPECT_EQ(Sdo({0x40, 0x08, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x08, 0x10, 0x00, 'A', 'B', 0, 0}));
    EXPECT_EQ(Write(0x80, 0x58000140), Frames{kAck});  // hardware version "X"
    EXPECT_EQ(Write(0x80, 0x00000141), Frames{kAck});
    EXPECT_EQ(Sdo({0x40, 0x09, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4F, 0x09, 0x10, 0x00, 'X', 0, 0, 0}));
}

TEST_F(SimProduction, BadRequestsAreIgnoredOrRefused) {
    Received();
    tester->Send(MakeFrame(0x7E5, {0x8C, 0x0C, 1, 0, 0, 0, 0x57, 0x00}));  // wrong trailer
    tester->Send(MakeFrame(0x7E5, {0x8C, 0x0C, 1, 0, 0, 0, 0x57}));        // 7 bytes
    EXPECT_EQ(Received(), Frames{});
    EXPECT_EQ(Write(0x55, 1), Frames{Text(0x7E4, {0x8C, 0x01, 0, 0, 0, 0, 0, 0})});  // unknown parameter
    EXPECT_EQ(Write(0x08, 200), Frames{Text(0x7E4, {0x8C, 0x02, 0, 0, 0, 0, 0, 0})});  // node id range
    EXPECT_EQ(Write(0x0A, 245), Frames{Text(0x7E4, {0x8C, 0x02, 0, 0, 0, 0, 0, 0})});  // reserved type
    EXPECT_EQ(Write(0x0F, 0x10000), Frames{Text(0x7E4, {0x8C, 0x02, 0, 0, 0, 0, 0, 0})});  // 16-bit guard time
    EXPECT_EQ(Write(0x80, 0x41009000), Frames{Text(0x7E4, {0x8C, 0x03, 0, 0, 0, 0, 0, 0})});  // no such address
}

TEST_F(SimProduction, ProductionValuesAreTheDefaultsThatRestoreBringsBack) {
    Write(0x0E, 100);  // CyclicTimer
    Sdo({0x2B, 0x00, 0x62, 0x00, 0xF4, 0x01, 0, 0});              // 500
    Sdo({0x23, 0x10, 0x10, 0x01, 's', 'a', 'v', 'e'});            // store all
    PowerCycle();
    EXPECT_EQ(Sdo({0x40, 0x00, 0x62, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x00, 0x62, 0x00, 0xF4, 0x01, 0, 0}));
    Sdo({0x23, 0x11, 0x10, 0x01, 'l', 'o', 'a', 'd'});            // restore defaults
    Send(0x000, {0x81, 0x01});
    Received(1);
    EXPECT_EQ(Sdo({0x40, 0x00, 0x62, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x00, 0x62, 0x00, 0x64, 0x00, 0, 0}));
}
