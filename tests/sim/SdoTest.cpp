#include "SimFixture.h"

class SimSdo : public SimFixture {
protected:
    void SetUp() override {
        Start();
        Received();
    }
    static std::string Abort(uint16_t index, uint8_t sub, uint32_t code) {
        return Text(0x581, {0x80, static_cast<uint8_t>(index), static_cast<uint8_t>(index >> 8), sub,
                            static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8),
                            static_cast<uint8_t>(code >> 16), static_cast<uint8_t>(code >> 24)});
    }
};

TEST_F(SimSdo, ExpeditedUploadOfTheSerialNumber) {
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}), Text(0x581, {0x43, 0x18, 0x10, 0x04, 0x78, 0x56, 0x34, 0x12}));
    // One-byte and two-byte objects say their size in the command byte.
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4F, 0x18, 0x10, 0x00, 0x04, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x17, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x17, 0x10, 0x00, 0x00, 0x00, 0, 0}));
}

TEST_F(SimSdo, SegmentedUploadOfTheDeviceNameWithToggleBits) {
    EXPECT_EQ(Sdo({0x40, 0x08, 0x10, 0x00, 0, 0, 0, 0}), Text(0x581, {0x41, 0x08, 0x10, 0x00, 0x19, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x60, 0, 0, 0, 0, 0, 0, 0}), Text(0x581, {0x00, 'Q', 'Z', ' ', 'M', 'u', 'l', 't'}));
    EXPECT_EQ(Sdo({0x70, 0, 0, 0, 0, 0, 0, 0}), Text(0x581, {0x10, 'i', 't', 'u', 'r', 'n', ' ', 'E'}));
    EXPECT_EQ(Sdo({0x60, 0, 0, 0, 0, 0, 0, 0}), Text(0x581, {0x00, 'n', 'c', 'o', 'd', 'e', 'r', ' '}));
    EXPECT_EQ(Sdo({0x70, 0, 0, 0, 0, 0, 0, 0}), Text(0x581, {0x17, '5', '8', '1', '3', 0, 0, 0}));
    // The transfer is over: another segment request has no transfer to belong to.
    EXPECT_EQ(Sdo({0x60, 0, 0, 0, 0, 0, 0, 0}), Abort(0, 0, 0x05040001));
}

TEST_F(SimSdo, SegmentedDownloadOfATenByteString) {
    EXPECT_EQ(Sdo({0x21, 0x11, 0x20, 0x00, 0x0A, 0, 0, 0}), Text(0x581, {0x60, 0x11, 0x20, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}), Text(0x581, {0x20, 0, 0, 0, 0, 0, 0, 0}));
    // toggle 1, 3 bytes (n = 4 unused), last
    EXPECT_EQ(Sdo({0x19, 'H', 'I', 'J', 0, 0, 0, 0}), Text(0x581, {0x30, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x11, 0x20, 0x00, 0, 0, 0, 0}), Text(0x581, {0x41, 0x11, 0x20, 0x00, 0x0A, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x60, 0, 0, 0, 0, 0, 0, 0}), Text(0x581, {0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}));
    EXPECT_EQ(Sdo({0x70, 0, 0, 0, 0, 0, 0, 0}), Text(0x581, {0x19, 'H', 'I', 'J', 0, 0, 0, 0}));
}

TEST_F(SimSdo, ExpeditedDownloadIsReadBack) {
    EXPECT_EQ(Sdo({0x23, 0x00, 0x30, 0x00, 0x78, 0x56, 0x34, 0x12}), Text(0x581, {0x60, 0x00, 0x30, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x00, 0x30, 0x00, 0, 0, 0, 0}), Text(0x581, {0x43, 0x00, 0x30, 0x00, 0x78, 0x56, 0x34, 0x12}));
    // Size not indicated: a two-byte object takes the bytes it needs.
    EXPECT_EQ(Sdo({0x22, 0x00, 0x62, 0x00, 0x10, 0x27, 0xAA, 0xBB}), Text(0x581, {0x60, 0x00, 0x62, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x00, 0x62, 0x00, 0, 0, 0, 0}), Text(0x581, {0x4B, 0x00, 0x62, 0x00, 0x10, 0x27, 0, 0}));
}

struct AbortCase {
    const char* what;
    std::vector<uint8_t> request;
    uint16_t index;
    uint8_t sub;
    uint32_t code;
};

TEST_F(SimSdo, EveryAbortCodeItDetects) {
    const std::vector<AbortCase> cases = {
        {"object missing", {0x40, 0x34, 0x12, 0x00, 0, 0, 0, 0}, 0x1234, 0, 0x06020000},
        {"sub-index missing", {0x40, 0x18, 0x10, 0x07, 0, 0, 0, 0}, 0x1018, 7, 0x06090011},
        {"read-only", {0x23, 0x18, 0x10, 0x04, 1, 2, 3, 4}, 0x1018, 4, 0x06010002},
        {"constant", {0x2F, 0x08, 0x10, 0x00, 'x', 0, 0, 0}, 0x1008, 0, 0x06010002},
        {"write-only", {0x40, 0x10, 0x20, 0x00, 0, 0, 0, 0}, 0x2010, 0, 0x06010001},
        {"length too high", {0x23, 0x17, 0x10, 0x00, 1, 0, 0, 0}, 0x1017, 0, 0x06070012},
        {"length too low", {0x2F, 0x05, 0x10, 0x00, 0x80, 0, 0, 0}, 0x1005, 0, 0x06070013},
        {"announced segmented size too high", {0x21, 0x11, 0x20, 0x00, 33, 0, 0, 0}, 0x2011, 0, 0x06070012},
        {"transmission type reserved", {0x2F, 0x00, 0x18, 0x02, 245, 0, 0, 0}, 0x1800, 2, 0x06090030},
        {"preset outside the range", {0x23, 0x03, 0x60, 0x00, 0, 0, 0, 0x02}, 0x6003, 0, 0x06090030},
        {"value too high", {0x23, 0x01, 0x60, 0x00, 0x01, 0x20, 0, 0}, 0x6001, 0, 0x06090031},
        {"value too low", {0x23, 0x01, 0x60, 0x00, 0, 0, 0, 0}, 0x6001, 0, 0x06090032},
        {"node id out of range", {0x2F, 0x04, 0x20, 0x00, 200, 0, 0, 0}, 0x2004, 0, 0x06090030},
        {"store with a wrong signature", {0x23, 0x10, 0x10, 0x01, 's', 'a', 'v', 'x'}, 0x1010, 1, 0x08000020},
        {"restore with a wrong signature", {0x23, 0x11, 0x10, 0x02, 's', 'a', 'v', 'e'}, 0x1011, 2, 0x08000020},
        {"block download", {0xC0, 0x00, 0x30, 0x00, 0, 0, 0, 0}, 0x3000, 0, 0x05040001},
        {"reserved specifier", {0xE0, 0x00, 0x30, 0x00, 0, 0, 0, 0}, 0x3000, 0, 0x05040001},
        {"download segment without initiate", {0x00, 1, 2, 3, 4, 5, 6, 7}, 0, 0, 0x05040001},
        {"upload segment without initiate", {0x60, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0x05040001},
    };
    for (const auto& c : cases) {
        Received();
        BusFrame f;
        f.id = 0x601;
        f.len = 8;
        for (size_t i = 0; i < 8; ++i) f.data[i] = c.request[i];
        tester->Send(f);
        EXPECT_EQ(Received(), Frames{Abort(c.index, c.sub, c.code)}) << c.what;
    }
}

TEST_F(SimSdo, ToggleErrorsAndLengthMismatchAbortTheTransfer) {
    // Upload: the first segment request must carry toggle 0.
    Sdo({0x40, 0x08, 0x10, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(Sdo({0x70, 0, 0, 0, 0, 0, 0, 0}), Abort(0x1008, 0, 0x05030000));
    // Download: a repeated toggle.
    Sdo({0x21, 0x11, 0x20, 0x00, 0x0A, 0, 0, 0});
    Sdo({0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G'});
    EXPECT_EQ(Sdo({0x01, 'H', 'I', 'J', 0, 0, 0, 0}), Abort(0x2011, 0, 0x05030000));
    // Download: 10 bytes announced, 7 sent.
    Sdo({0x21, 0x11, 0x20, 0x00, 0x0A, 0, 0, 0});
    EXPECT_EQ(Sdo({0x01, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}), Abort(0x2011, 0, 0x06070010));
    // Without a size the segments may not exceed the object.
    Sdo({0x20, 0x11, 0x20, 0x00, 0, 0, 0, 0});
    for (int i = 0; i < 4; ++i) Sdo({static_cast<uint8_t>(i % 2 ? 0x10 : 0x00), 'a', 'b', 'c', 'd', 'e', 'f', 'g'});
    EXPECT_EQ(Sdo({0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g'}), Abort(0x2011, 0, 0x06070012));
    // Nothing of the failed downloads was taken.
    EXPECT_EQ(Sdo({0x40, 0x11, 0x20, 0x00, 0, 0, 0, 0}), Text(0x581, {0x41, 0x11, 0x20, 0x00, 0, 0, 0, 0}));
}

TEST_F(SimSdo, AbortRequestEndsATransferWithoutAnswer) {
    Sdo({0x40, 0x08, 0x10, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(Sdo({0x80, 0x08, 0x10, 0x00, 0, 0, 0, 0}), "");
    EXPECT_EQ(Sdo({0x60, 0, 0, 0, 0, 0, 0, 0}), Abort(0, 0, 0x05040001));
}

TEST_F(SimSdo, MalformedRequestsAreIgnoredAndServiceGoesOn) {
    Received();
    tester->Send(MakeFrame(0x601, {0x40, 0x18, 0x10, 0x04}));  // too short
    tester->Send(MakeFrame(0x601, {}));
    tester->Send(MakeRemoteFrame(0x601, 8));
    EXPECT_EQ(Received(), Frames{});
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}), Text(0x581, {0x43, 0x18, 0x10, 0x04, 0x78, 0x56, 0x34, 0x12}));
    // Requests to other nodes are not ours.
    EXPECT_EQ(Sdo({0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}, 2), "");
}

TEST_F(SimSdo, ZeroCommandAndPresetSetThePosition) {
    EXPECT_EQ(Sdo({0x23, 0x03, 0x60, 0x00, 0xE8, 0x03, 0, 0}), Text(0x581, {0x60, 0x03, 0x60, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x04, 0x60, 0x00, 0, 0, 0, 0}), Text(0x581, {0x43, 0x04, 0x60, 0x00, 0xE8, 0x03, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x09, 0x65, 0x00, 0, 0, 0, 0}), Text(0x581, {0x43, 0x09, 0x65, 0x00, 0xE8, 0x03, 0, 0}));
    EXPECT_EQ(Sdo({0x23, 0x10, 0x20, 0x00, 0x01, 0, 0, 0}), Text(0x581, {0x60, 0x10, 0x20, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(Sdo({0x40, 0x04, 0x60, 0x00, 0, 0, 0, 0}), Text(0x581, {0x43, 0x04, 0x60, 0x00, 0, 0, 0, 0}));
}
