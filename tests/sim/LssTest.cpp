#include "SimFixture.h"

namespace {
// An LSS request: specifier and a 32-bit value least significant first.
BusFrame Lss(uint8_t cs, uint32_t value = 0) {
    return MakeFrame(0x7E5, {cs, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                             static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24), 0, 0, 0});
}
const std::string kSwitched = Text(0x7E4, {0x44, 0, 0, 0, 0, 0, 0, 0});
const std::string kIdentified = Text(0x7E4, {0x4F, 0, 0, 0, 0, 0, 0, 0});
}  // namespace

class SimLss : public SimFixture {
protected:
    void SetUp() override { StartWithFile(); }
    Frames Lss(std::initializer_list<std::pair<uint8_t, uint32_t>> requests) {
        Received();
        for (const auto& [cs, v] : requests) tester->Send(::Lss(cs, v));
        return Received();
    }
    const EncoderOptions id_{};  // the default identity
};

TEST_F(SimLss, SelectiveSwitchAnswersOnlyAFullIdentityMatch) {
    const auto& d = id_;
    EXPECT_EQ(Lss({{0x40, d.vendorId}, {0x41, d.productCode}, {0x42, d.revision}, {0x43, d.serial}}),
              Frames{kSwitched});
    Lss({{0x04, 0}});
    EXPECT_EQ(Lss({{0x40, d.vendorId}, {0x41, d.productCode}, {0x42, d.revision}, {0x43, d.serial + 1}}), Frames{});
    EXPECT_EQ(Lss({{0x40, d.vendorId + 1}, {0x41, d.productCode}, {0x42, d.revision}, {0x43, d.serial}}), Frames{});
    EXPECT_EQ(Lss({{0x40, d.vendorId}, {0x41, d.productCode + 10}, {0x42, d.revision}, {0x43, d.serial}}), Frames{});
    EXPECT_EQ(Lss({{0x40, d.vendorId}, {0x41, d.productCode}, {0x42, d.revision - 1}, {0x43, d.serial}}), Frames{});
    // Out of order: the serial number alone switches nothing.
    EXPECT_EQ(Lss({{0x43, d.serial}}), Frames{});
    // Inquiries are answered only in configuration state.
    EXPECT_EQ(Lss({{0x5D, 0}}), Frames{});
    Lss({{0x40, d.vendorId}, {0x41, d.productCode}, {0x42, d.revision}, {0x43, d.serial}});
    EXPECT_EQ(Lss({{0x5D, 0}}), Frames{Text(0x7E4, {0x5D, 0x78, 0x56, 0x34, 0x12, 0, 0, 0})});
}

TEST_F(SimLss, IdentifyRemoteSlaveAnswersOnlyInsideTheRanges) {
    const auto& d = id_;
    auto identify = [&](uint32_t revLow, uint32_t revHigh, uint32_t serLow, uint32_t serHigh) {
        return Lss({{0x46, d.vendorId}, {0x47, d.productCode}, {0x48, revLow}, {0x49, revHigh}, {0x4A, serLow},
                    {0x4B, serHigh}});
    };
    EXPECT_EQ(identify(d.revision - 10, d.revision + 10, d.serial - 10, d.serial + 10), Frames{kIdentified});
    EXPECT_EQ(identify(d.revision, d.revision, d.serial, d.serial), Frames{kIdentified});  // bounds count
    EXPECT_EQ(identify(d.revision + 10, d.revision + 40, d.serial - 10, d.serial + 10), Frames{});
    EXPECT_EQ(identify(d.revision - 10, d.revision - 1, d.serial - 10, d.serial + 10), Frames{});
    EXPECT_EQ(identify(d.revision - 10, d.revision + 10, d.serial - 30, d.serial - 10), Frames{});
    EXPECT_EQ(identify(d.revision - 10, d.revision + 10, d.serial + 1, d.serial + 10), Frames{});
    EXPECT_EQ(Lss({{0x46, d.vendorId + 10}, {0x47, d.productCode}, {0x48, 0}, {0x49, 0xFFFFFFFF}, {0x4A, 0},
                   {0x4B, 0xFFFFFFFF}}),
              Frames{});
    // A configured device is no non-configured slave.
    EXPECT_EQ(Lss({{0x4C, 0}}), Frames{});
}

TEST_F(SimLss, ConfiguredNodeIdIsStoredAndUsedAfterReset) {
    EXPECT_EQ(Lss({{0x04, 1}}), Frames{});  // switch global to configuration: no answer
    EXPECT_EQ(Lss({{0x11, 0x05}}), Frames{Text(0x7E4, {0x11, 0, 0, 0, 0, 0, 0, 0})});
    EXPECT_EQ(Lss({{0x17, 0}}), Frames{Text(0x7E4, {0x17, 0, 0, 0, 0, 0, 0, 0})});
    EXPECT_EQ(Lss({{0x5E, 0}}), Frames{Text(0x7E4, {0x5E, 0x01, 0, 0, 0, 0, 0, 0})});  // still the active id
    Lss({{0x04, 0}});
    Send(0x000, {0x81, 0x01});
    EXPECT_EQ(Received(1), Frames{Text(0x705, {0x00})});
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}, 5), Text(0x585, {0x43, 0x18, 0x10, 0x04, 0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(Sdo({0x40, 0x00, 0x18, 0x01, 0, 0, 0, 0}, 5), Text(0x585, {0x43, 0x00, 0x18, 0x01, 0x85, 0x01, 0, 0}));
    // The stored id survives a power cycle.
    PowerCycle();
    EXPECT_EQ(Received(), Frames{Text(0x705, {0x00})});
}

TEST_F(SimLss, ConfigurationServicesCheckTheirValues) {
    Lss({{0x04, 1}});
    EXPECT_EQ(Lss({{0x11, 0x80}}), Frames{Text(0x7E4, {0x11, 0x01, 0, 0, 0, 0, 0, 0})});
    EXPECT_EQ(Lss({{0x11, 0x00}}), Frames{Text(0x7E4, {0x11, 0x01, 0, 0, 0, 0, 0, 0})});
    EXPECT_EQ(Lss({{0x13, 0x0900}}), Frames{Text(0x7E4, {0x13, 0x01, 0, 0, 0, 0, 0, 0})});  // no index 9
    EXPECT_EQ(Lss({{0x13, 0x0301}}), Frames{Text(0x7E4, {0x13, 0x01, 0, 0, 0, 0, 0, 0})});  // table 1
    EXPECT_EQ(Lss({{0x5A, 0}, {0x5B, 0}, {0x5C, 0}}),
              (Frames{Text(0x7E4, {0x5A, 0xA2, 0x03, 0, 0, 0, 0, 0}), Text(0x7E4, {0x5B, 0x13, 0x58, 0, 0, 0, 0, 0}),
                      Text(0x7E4, {0x5C, 0x02, 0x00, 0x01, 0x00, 0, 0, 0})}));
    // Short LSS frames are ignored.
    tester->Send(MakeFrame(0x7E5, {0x5A, 0, 0, 0}));
    EXPECT_EQ(Received(), Frames{});
}

TEST_F(SimLss, BitTimingSwitchesAfterTheDelay) {
    Lss({{0x04, 1}});
    EXPECT_EQ(Lss({{0x13, 0x0300}}), Frames{Text(0x7E4, {0x13, 0, 0, 0, 0, 0, 0, 0})});  // index 3: 250 kbit/s
    Lss({{0x15, 100}});
    vt->AdvanceByMs(100);
    EXPECT_EQ(encoder->BitRateKbit(), 250);
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{});
    tester->Open(250);
    vt->AdvanceByMs(100);
    SendRemote(0x701);
    EXPECT_EQ(Received(), Frames{Text(0x701, {0x7F})});
}

TEST_F(SimLss, DeviceWithoutNodeIdBootsOnceConfigured) {
    EncoderOptions o;
    o.nodeId = 255;
    encoder.reset();
    Start(o);
    EXPECT_EQ(Received(), Frames{});
    EXPECT_EQ(Lss({{0x4C, 0}}), Frames{Text(0x7E4, {0x50, 0, 0, 0, 0, 0, 0, 0})});
    Lss({{0x04, 1}});
    EXPECT_EQ(Lss({{0x11, 7}}), Frames{Text(0x7E4, {0x11, 0, 0, 0, 0, 0, 0, 0})});
    EXPECT_EQ(Lss({{0x4C, 0}}), Frames{});
    EXPECT_EQ(Lss({{0x04, 0}}), Frames{Text(0x707, {0x00})});
    EXPECT_EQ(encoder->NodeId(), 7);
}
