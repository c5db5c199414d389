#pragma once
// The station's channel on a private virtual bus in virtual time, with a peer endpoint that
// puts frames on the bus and sees what the station sends.

#include <gtest/gtest.h>

#include <initializer_list>

#include "StationHarness.h"

class BusToolsFixture : public ::testing::Test {
protected:
    explicit BusToolsFixture(bool withEncoder = false) : h(EncoderOptions{}, withEncoder) {
        ScriptVariables().Set("Baudr", 2);
        ScriptVariables().Set("NodeId", 5);
        peer = h.Bus().CreateEndpoint("peer");
        peer->Open(0);
    }

    void Put(uint32_t id, std::initializer_list<uint8_t> bytes, bool rtr = false, uint8_t len = 0xFF) {
        BusFrame f;
        f.id = id;
        f.rtr = rtr;
        f.len = len != 0xFF ? len : static_cast<uint8_t>(bytes.size());
        size_t i = 0;
        for (uint8_t b : bytes) f.data[i++] = b;
        peer->Send(f);
    }
    // What the peer received since the last call.
    std::vector<BusFrame> PeerFrames() {
        std::vector<BusFrame> out;
        BusFrame f;
        while (peer->TryReceive(f)) out.push_back(f);
        return out;
    }
    void AdvanceMs(uint64_t ms) { h.Time().AdvanceByMs(ms); }

    StationHarness h;
    std::shared_ptr<VirtualEndpoint> peer;
};
