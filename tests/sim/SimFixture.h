#pragma once
// A simulated encoder on a private virtual bus in virtual time, and a tester endpoint that
// plays the CANopen master with raw frames.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SimBusProtocol.h"
#include "SimBytes.h"
#include "SimEncoder.h"
#include "TempDir.h"
#include "VirtualTimeSource.h"

// A frame as text for comparisons: "581 8  43 18 10 04 78 56 34 12", "701 R0".
inline std::string Text(const BusFrame& f) { return FormatFrameForLog(f); }
inline std::string Text(uint32_t id, std::initializer_list<uint8_t> data) { return Text(MakeFrame(id, data)); }

class SimFixture : public ::testing::Test {
protected:
    // Starts the encoder; the tester listens at `testerKbit` (0: every rate).
    void Start(EncoderOptions options = {}, int testerKbit = 500) {
        options_ = options;
        if (!tester) tester = bus->CreateEndpoint("tester");
        tester->Open(testerKbit);
        encoder = std::make_unique<SimEncoder>(bus, options);
        vt->AdvanceByMs(1);
    }
    // Starts the encoder with a parameter file (in the test's folder unless named) and
    // forgets its boot-up.
    void StartWithFile(const std::string& path = {}) {
        EncoderOptions o;
        o.storePath = path.empty() ? dir.File("encoder.params") : path;
        Start(o);
        Received();
    }
    // Switches the encoder off and on again (a power cycle with the same options).
    void PowerCycle() {
        encoder.reset();
        encoder = std::make_unique<SimEncoder>(bus, options_);
        vt->AdvanceByMs(1);
    }

    void Send(uint32_t id, std::initializer_list<uint8_t> data) { tester->Send(MakeFrame(id, data)); }
    void SendRemote(uint32_t id, uint8_t len = 0) { tester->Send(MakeRemoteFrame(id, len)); }

    // Every frame the tester has received, as text, after letting `ms` pass.
    std::vector<std::string> Received(uint64_t ms = 0) {
        if (ms) vt->AdvanceByMs(ms);
        std::vector<std::string> out;
        BusFrame f;
        while (tester->TryReceive(f)) out.push_back(Text(f));
        return out;
    }
    // Sends a request and returns the answers that came.
    std::vector<std::string> Ask(uint32_t id, std::initializer_list<uint8_t> data) {
        Received();
        Send(id, data);
        return Received();
    }
    // An SDO request to node `node` with one expected answer, returned as text ("" for none).
    std::string Sdo(std::initializer_list<uint8_t> data, uint8_t node = 1) {
        const auto r = Ask(0x600u + node, data);
        return r.size() == 1 ? r[0] : (r.empty() ? std::string() : "several answers");
    }
    void StartNode(uint8_t node = 1) {
        Send(0x000, {0x01, node});
        Received();
    }

    ScopedVirtualTime vt;
    TempDir dir;
    std::shared_ptr<VirtualBus> bus = VirtualBus::Create();
    std::shared_ptr<VirtualEndpoint> tester;
    std::unique_ptr<SimEncoder> encoder;
    EncoderOptions options_;
};

using Frames = std::vector<std::string>;
