// Choosing the interface from "[CAN_TREIBER_TYP]", start-up creation, the Hardware menu list
// and switching between listed channels.

#include <algorithm>

#include "CNumber.h"
#include "CanHardware.h"
#include "CanInterfaceKinds.h"
#include "PeakFixture.h"
#include "StandardCanInterfaceKinds.h"
#include "VirtualCanInterface.h"

namespace {

class CanHardwareTest : public PeakFixture {
protected:
    void SetUp() override {
        PeakFixture::SetUp();
        RegisterStandardCanInterfaceKinds();
    }
    // The hardware list entry with this name and device number, or null.
    static const CanChannelInfo* Entry(const std::vector<CanChannelInfo>& list, const std::string& name,
                                       uint32_t handleRef = 0) {
        for (const auto& e : list)
            if (e.hardwareName == name && (handleRef == 0 || e.handleRef == handleRef)) return &e;
        return nullptr;
    }
};

TEST(CNumber, ParsesCNotation) {
    EXPECT_EQ(ParseCNumber("0x1A"), 26u);
    EXPECT_EQ(ParseCNumber("0X1a"), 26u);
    EXPECT_EQ(ParseCNumber("032"), 26u);
    EXPECT_EQ(ParseCNumber(" 26\r\n"), 26u);
    EXPECT_EQ(ParseCNumber("0"), 0u);
    EXPECT_EQ(ParseCNumber("0xFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_FALSE(ParseCNumber(""));
    EXPECT_FALSE(ParseCNumber("0x"));
    EXPECT_FALSE(ParseCNumber("-1"));
    EXPECT_FALSE(ParseCNumber("089"));
    EXPECT_FALSE(ParseCNumber("12abc"));
    EXPECT_FALSE(ParseCNumber("0x100000000"));
}

TEST_F(CanHardwareTest, TreiberTypFormsChooseTheirKind) {
    auto kindOf = [](const std::string& v) {
        const CanInterfaceKind* k = FindCanInterfaceKind(v);
        return k ? k->name : std::string("none");
    };
    EXPECT_EQ(kindOf("PCANBasic.dll"), "pcan");
    EXPECT_EQ(kindOf("C:\\Programme\\PEAK\\pcanbasic"), "pcan");
    EXPECT_EQ(kindOf("/usr/lib/libpcanbasic.so"), "pcan");
    EXPECT_EQ(kindOf("libpcanbasic.so.4"), "pcan");
    EXPECT_EQ(kindOf("virtual"), "virtual");
    EXPECT_EQ(kindOf(" Virtual "), "virtual");
    EXPECT_EQ(kindOf("bogus"), "none");
    EXPECT_EQ(kindOf(""), "none");
#ifdef QUARZEL_HAVE_SERIALBUS
    EXPECT_EQ(kindOf("socketcan"), "qtcanbus");
    EXPECT_EQ(kindOf("socketcan:can0"), "qtcanbus");
    EXPECT_EQ(kindOf("virtualcan:can1"), "qtcanbus");
    EXPECT_EQ(kindOf("nosuchplugin:can0"), "none");
    EXPECT_EQ(kindOf("passthrucan:C:\\J2534\\adapter"), "qtcanbus");
    EXPECT_EQ(kindOf("C:\\PEAK\\PCANBasic.dll"), "pcan");
#endif
    EXPECT_EQ(PcanLibraryForListing("PCANBasic.dll"), "PCANBasic.dll");
    EXPECT_FALSE(PcanLibraryForListing("socketcan").empty());
}

TEST_F(CanHardwareTest, CreateInterfaceFindsTheDeviceNumberAndOpensItsChannel) {
    // Channel 0x51 carries device 1, not 2: the search goes on and finds 0x52.
    ASSERT_TRUE(CanCreateInterface(2, 0x51));
    auto iface = std::dynamic_pointer_cast<PeakCanInterface>(CanCurrentInterface());
    ASSERT_TRUE(iface);
    EXPECT_EQ(CanGetHandleObject()->GetHandle(), 0x52u);
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(sim.State(0x52).initialised, 1u);
    EXPECT_EQ(sim.State(0x52).lastInitCode, 0x532Fu);  // 20 kbit/s until a rate is asked for
    EXPECT_EQ(sim.State(0x51).initialised, 0u);
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(sim.State(0x52).lastInitCode, 0x031Cu);
}

TEST_F(CanHardwareTest, CreateInterfaceWithoutTheDeviceLeavesNoInterface) {
    EXPECT_FALSE(CanCreateInterface(77, 0x51));
    EXPECT_EQ(CanCurrentInterface(), nullptr);
    EXPECT_FALSE(CanActive);
    tagOPEN_Message msg;
    EXPECT_FALSE(CanWrite(&msg));
    EXPECT_TRUE(op.calls.empty());
}

TEST_F(CanHardwareTest, UnknownTreiberTypIsExplained) {
    DefaultCanSettings().SetConfig("[CAN_TREIBER_TYP]", "bogus");
    EXPECT_FALSE(CanCreateInterface(1, 0x51));
    ASSERT_EQ(op.calls.size(), 1u);
    EXPECT_EQ(op.calls[0].title, "CAN Initialization");
    EXPECT_NE(op.calls[0].text.find("Unknown CAN interface type 'bogus'"), std::string::npos);
    EXPECT_EQ(CanCurrentInterface(), nullptr);
}

TEST_F(CanHardwareTest, VirtualTreiberTypUsesTheDefaultBus) {
    DefaultCanSettings().SetConfig("[CAN_TREIBER_TYP]", "virtual");
    ASSERT_TRUE(CanCreateInterface(0, 0));
    ASSERT_TRUE(std::dynamic_pointer_cast<VirtualCanInterface>(CanCurrentInterface()));
    auto peer = VirtualBus::Default()->CreateEndpoint("device");
    peer->Open(125);
    ASSERT_TRUE(CanOpen());
    tagOPEN_Message msg;
    msg.id = 0x601;
    msg.dlc = 1;
    ASSERT_TRUE(CanWrite(&msg));
    BusFrame f;
    EXPECT_TRUE(peer->TryReceive(f));
    EXPECT_EQ(f.id, 0x601u);
}

TEST_F(CanHardwareTest, HardwareListIsReplacedOnRefreshAndCarriesUniqueReferences) {
    std::vector<CanChannelInfo> list;
    ASSERT_TRUE(CanGetHardwareList(list, true));
    const size_t size = list.size();
    ASSERT_TRUE(CanGetHardwareList(list, true));
    EXPECT_EQ(list.size(), size);
    EXPECT_EQ(CanHardwareList().size(), size);

    const CanChannelInfo* usb1 = Entry(list, "PCAN-USB", 0x51);
    const CanChannelInfo* usb2 = Entry(list, "PCAN-USB", 0x52);
    ASSERT_TRUE(usb1 && usb2);
    EXPECT_EQ(usb1->deviceNumber, 1u);
    EXPECT_EQ(usb2->deviceNumber, 2u);
    EXPECT_NE(usb1->owner, usb2->owner);
    EXPECT_TRUE(Entry(list, "Virtual CAN"));
    std::vector<uint32_t> refs;
    for (const auto& e : list) {
        EXPECT_NE(e.handleRef, 0u);
        EXPECT_TRUE(e.owner);
        refs.push_back(e.handleRef);
    }
    std::sort(refs.begin(), refs.end());
    EXPECT_EQ(std::adjacent_find(refs.begin(), refs.end()), refs.end());

    // Without refresh the same list comes back.
    std::vector<CanChannelInfo> again;
    EXPECT_TRUE(CanGetHardwareList(again, false));
    EXPECT_EQ(again.size(), size);
}

TEST_F(CanHardwareTest, SelectingAListedChannelSwitchesToIt) {
    ASSERT_TRUE(CanCreateInterface(1, 0x51));
    auto first = CanCurrentInterface();
    std::vector<CanChannelInfo> list;
    ASSERT_TRUE(CanGetHardwareList(list, true));
    // The current interface keeps the entry of its own channel.
    EXPECT_EQ(Entry(list, "PCAN-USB", 0x51)->owner, first);

    ASSERT_TRUE(CanSelectHardware(0x52));
    EXPECT_NE(CanCurrentInterface(), first);
    EXPECT_EQ(CanGetHandleObject()->GetHandle(), 0x52u);
    EXPECT_EQ(sim.State(0x52).initialised, 1u);
    EXPECT_EQ(sim.State(0x51).initialised, 0u);  // the previous channel was released
    EXPECT_TRUE(CanActive);

    // Back to the first, which the list still holds.
    ASSERT_TRUE(CanSelectHardware(0x51));
    EXPECT_EQ(CanCurrentInterface(), first);
    EXPECT_EQ(sim.State(0x51).initialised, 1u);
    EXPECT_EQ(sim.State(0x52).initialised, 0u);
    EXPECT_TRUE(CanOpen());

    EXPECT_FALSE(CanSelectHardware(0));
    EXPECT_FALSE(CanSelectHardware(0x7777));
    EXPECT_EQ(CanCurrentInterface(), first);
}

TEST_F(CanHardwareTest, SelectingTheCurrentChannelKeepsTheInterface) {
    ASSERT_TRUE(CanCreateInterface(1, 0x51));
    auto current = CanCurrentInterface();
    const uint32_t opened = sim.State(0x51).initializeCalls;
    std::vector<CanChannelInfo> list;
    ASSERT_TRUE(CanGetHardwareList(list, true));
    ASSERT_TRUE(CanSelectHardware(0x51));
    EXPECT_EQ(CanCurrentInterface(), current);
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(sim.State(0x51).initializeCalls, opened);  // neither the listing nor the choice re-opened it
}

TEST_F(CanHardwareTest, SwitchingToTheVirtualBusAndBack) {
    ASSERT_TRUE(CanCreateInterface(1, 0x51));
    std::vector<CanChannelInfo> list;
    ASSERT_TRUE(CanGetHardwareList(list, true));
    const CanChannelInfo* v = Entry(list, "Virtual CAN");
    ASSERT_TRUE(v);
    ASSERT_TRUE(CanSelectHardware(v->handleRef));
    EXPECT_TRUE(std::dynamic_pointer_cast<VirtualCanInterface>(CanCurrentInterface()));
    EXPECT_FALSE(CanActive);  // the PCAN channel was closed; the virtual one opens with CanOpen
    EXPECT_EQ(sim.State(0x51).initialised, 0u);
    ASSERT_TRUE(CanOpen());
    EXPECT_TRUE(CanActive);

    // Listing while the virtual channel is in use probes PCAN channels without touching it.
    ASSERT_TRUE(CanGetHardwareList(list, true));
    EXPECT_TRUE(CanActive);
    ASSERT_TRUE(CanSelectHardware(0x52));
    EXPECT_EQ(CanGetHandleObject()->GetHandle(), 0x52u);
    EXPECT_TRUE(CanActive);
}

}  // namespace
