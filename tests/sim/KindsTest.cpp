#include <gtest/gtest.h>

#include "CanChannel.h"
#include "CanInterfaceKinds.h"
#include "CanSettings.h"
#include "ScriptedOperator.h"
#include "SimulatorKinds.h"
#include "VirtualTimeSource.h"

class SimKinds : public ::testing::Test {
protected:
    void SetUp() override { RegisterSimulatorCanInterfaceKinds(); }
    void TearDown() override {
        CanClose();
        CanSetInterface(nullptr);
    }
    std::shared_ptr<AbstractCanInterface> Create(const std::string& value, std::string& error) {
        const CanInterfaceKind* kind = FindCanInterfaceKind(value);
        if (!kind) {
            error = "no kind";
            return nullptr;
        }
        return kind->create(value, error);
    }
    // SDO upload of 0x1018 sub 4 through the channel functions; the answer's data or "".
    std::string AskSerial(uint8_t node) {
        tagOPEN_Message m;
        m.id = 0x600u + node;
        m.dlc = 8;
        m.data = {0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0};
        if (!CanWrite(&m)) return "write failed";
        tagOPEN_Message answer;
        if (CanWaitForId(100, static_cast<int32_t>(0x580u + node), &answer) != CAN_RESULT_ONE) return "";
        char buf[64];
        std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X", answer.data[4], answer.data[5], answer.data[6],
                      answer.data[7]);
        return buf;
    }

    ScopedVirtualTime vt;
    ScriptedOperator op;
    RecordingChannelStatus status;
};

TEST_F(SimKinds, SimValueStartsAnEncoderTheStationReaches) {
    std::string error;
    DefaultCanSettings().SetVariable("Baudr", 2);
    auto iface = Create("sim", error);
    ASSERT_TRUE(iface) << error;
    EXPECT_EQ(iface->KindName(), "sim");
    CanSetInterface(iface);
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(AskSerial(1), "78 56 34 12");
}

TEST_F(SimKinds, OptionsChooseNodeBitRateAndIdentity) {
    std::string error;
    auto iface = Create("  SIM:encoder?node=3&kbit=250&serial=0xA1B2C3D4&timing=on", error);
    ASSERT_TRUE(iface) << error;
    CanSetInterface(iface);
    DefaultCanSettings().SetVariable("Baudr", 2);  // 500 kbit/s: the device is not heard
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(AskSerial(3), "");
    CanClose();
    DefaultCanSettings().SetVariable("Baudr", 3);
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(AskSerial(3), "D4 C3 B2 A1");
}

TEST_F(SimKinds, MalformedValuesGiveAClearError) {
    std::string error;
    EXPECT_FALSE(Create("sim:node=999", error));
    EXPECT_NE(error.find("node"), std::string::npos);
    EXPECT_FALSE(Create("sim:timing=maybe", error));
    EXPECT_FALSE(Create("sim:encoder?fault=sdo.nonsense", error));
    EXPECT_NE(error.find("sdo.nonsense"), std::string::npos);
}

TEST_F(SimKinds, FormsAreRecognisedExactly) {
    EXPECT_TRUE(IsSimTreiberTyp("sim"));
    EXPECT_TRUE(IsSimTreiberTyp("Sim:node=2"));
    EXPECT_FALSE(IsSimTreiberTyp("simbus:/tmp/x.sock"));
    EXPECT_FALSE(IsSimTreiberTyp("simulator"));
    EXPECT_FALSE(IsSimTreiberTyp("PCANBasic.dll"));
    EXPECT_TRUE(IsSimBusTreiberTyp("simbus"));
    EXPECT_TRUE(IsSimBusTreiberTyp("simbus:/tmp/x.sock"));
    const CanInterfaceKind* kind = FindCanInterfaceKind("simbus:/tmp/x.sock");
    ASSERT_TRUE(kind);
    EXPECT_EQ(kind->name, "simbus");
}

TEST_F(SimKinds, HardwareListOffersTheSimulatedChannel) {
    const CanInterfaceKind* kind = FindCanInterfaceKind("sim");
    ASSERT_TRUE(kind && kind->listChannels);
    const auto channels = kind->listChannels();
    ASSERT_EQ(channels.size(), 1u);
    EXPECT_TRUE(channels[0].owner);
    EXPECT_EQ(channels[0].hardwareName, "Simulated encoder");
}
