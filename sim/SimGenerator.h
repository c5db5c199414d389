#pragma once
// A simulated bus-test generator attached to a virtual bus: the GeneratorDevice behind a mutex,
// fed by its bus endpoint and woken by the current time source (virtual time in tests, real
// time in the programs). Frames are sent after the lock is released.

#include <functional>
#include <memory>

#include "GeneratorDevice.h"
#include "VirtualBus.h"

class SimGenerator {
public:
    using FrameTap = std::function<void(const BusFrame& frame, int kbit)>;

    SimGenerator(std::shared_ptr<VirtualBus> bus, GeneratorOptions options, FrameTap tap = {});
    ~SimGenerator();
    SimGenerator(const SimGenerator&) = delete;
    SimGenerator& operator=(const SimGenerator&) = delete;

    uint8_t NodeId() const;
    bool Running() const;
    uint64_t FramesSent() const;

private:
    struct Core;
    std::shared_ptr<Core> core_;
};
