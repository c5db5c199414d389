#pragma once
// A simulated encoder attached to a virtual bus: the EncoderDevice behind a mutex, fed by its
// bus endpoint (handler mode) and woken by the current time source, so it runs in virtual
// time in tests and in real time in the programs. Answers are sent after the lock is released.

#include <functional>
#include <memory>
#include <string>

#include "EncoderDevice.h"
#include "VirtualBus.h"

class SimEncoder {
public:
    // Sees every frame the device sends, with the bit rate it is sent at.
    using FrameTap = std::function<void(const BusFrame& frame, int kbit)>;

    // Creates the device on `bus` and switches it on.
    SimEncoder(std::shared_ptr<VirtualBus> bus, EncoderOptions options, FrameTap tap = {});
    ~SimEncoder();
    SimEncoder(const SimEncoder&) = delete;
    SimEncoder& operator=(const SimEncoder&) = delete;

    uint8_t NodeId() const;
    int BitRateKbit() const;
    NmtState State() const;
    std::string StoreError() const;
    // Runs `fn` on the device under its lock (for inspection).
    void Inspect(const std::function<void(const EncoderDevice&)>& fn) const;

private:
    struct Core;
    std::shared_ptr<Core> core_;
};
