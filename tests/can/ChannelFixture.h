#pragma once
// A station channel on a private virtual bus plus a peer endpoint that plays the device.

#include <gtest/gtest.h>

#include "CANLogger.h"
#include "CanChannel.h"
#include "CanSettings.h"
#include "ScriptedOperator.h"
#include "VirtualCanInterface.h"
#include "VirtualTimeSource.h"

class ChannelFixture : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultCanSettings().SetVariable("Baudr", 2);  // 500 kbit/s
        bus = VirtualBus::Create();
        iface = std::make_shared<VirtualCanInterface>(bus);
        CanSetInterface(iface);
        peer = bus->CreateEndpoint("device");
        peer->Open(500);
        ASSERT_TRUE(CanOpen());
    }
    void TearDown() override {
        CanClose();
        CanSetInterface(nullptr);
        CanTraceLogger().Disable();
        CanTraceLogger().Clear();
    }

    void PeerSend(uint32_t id, std::vector<uint8_t> data, bool rtr = false) {
        BusFrame f;
        f.id = id;
        f.rtr = rtr;
        f.len = static_cast<uint8_t>(data.size());
        for (size_t i = 0; i < data.size() && i < 8; ++i) f.data[i] = data[i];
        peer->Send(f);
    }

    ScopedVirtualTime vt;
    ScriptedOperator op;
    std::shared_ptr<VirtualBus> bus;
    std::shared_ptr<VirtualCanInterface> iface;
    std::shared_ptr<VirtualEndpoint> peer;
};
