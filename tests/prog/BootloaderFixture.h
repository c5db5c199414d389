#pragma once
// The station channel and a simulated controller bootloader on a private virtual bus, in
// virtual time; every frame on the bus is recorded.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <random>

#include "AtmelBootloader.h"
#include "CANLogger.h"
#include "CanChannel.h"
#include "CanSettings.h"
#include "SimBootloader.h"
#include "VirtualCanInterface.h"
#include "VirtualTimeSource.h"

struct BusRecord {
    bool fromStation;
    BusFrame frame;
};

class BootloaderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultCanSettings().SetVariable("Baudr", 2);  // 500 kbit/s
        DefaultCanSettings().SetConfig("[LOG_DIR]", dir.path().toStdString());
        bus = VirtualBus::Create();
        iface = std::make_shared<VirtualCanInterface>(bus, "station");
        bus->SetMonitor([this](const VirtualEndpoint& from, const BusFrame& f) {
            frames.push_back({&from == &iface->Endpoint(), f});
        });
        CanSetInterface(iface);
        ASSERT_TRUE(CanOpen());
    }
    void TearDown() override {
        bus->SetMonitor(nullptr);
        device.reset();
        CanClose();
        CanSetInterface(nullptr);
        CanTraceLogger().Disable();
        CanTraceLogger().Clear();
    }

    void Attach(const std::string& options) {
        SimBootloaderOptions o;
        std::string error;
        ASSERT_TRUE(ParseBootloaderOptions(options, o, error)) << error;
        device = std::make_unique<SimBootloader>(bus, o);
    }

public:
    static HexImage RandomImage(uint32_t start, size_t size, unsigned seed = 1) {
        std::mt19937 rng(seed);
        HexImage image{start, std::vector<uint8_t>(size)};
        for (auto& b : image.bytes) b = static_cast<uint8_t>(rng());
        return image;
    }

protected:

    std::vector<uint8_t> Flash(uint32_t start, size_t length) const {
        std::vector<uint8_t> out;
        device->Inspect([&](const BootloaderDevice& d) {
            out.assign(d.Flash().begin() + start, d.Flash().begin() + start + length);
        });
        return out;
    }
    uint8_t Config(uint16_t address) const {
        uint8_t v = 0;
        device->Inspect([&](const BootloaderDevice& d) { v = d.ConfigByte(address); });
        return v;
    }
    // Station frames sent to `id`.
    std::vector<BusFrame> Sent(uint32_t id) const {
        std::vector<BusFrame> out;
        for (const auto& r : frames)
            if (r.fromStation && r.frame.id == id) out.push_back(r.frame);
        return out;
    }

    ScopedVirtualTime vt;
    QTemporaryDir dir;
    std::shared_ptr<VirtualBus> bus;
    std::shared_ptr<VirtualCanInterface> iface;
    std::unique_ptr<SimBootloader> device;
    std::vector<BusRecord> frames;
};
