#pragma once
// A simulated controller bootloader attached to a virtual bus (handler mode): frames reach the
// BootloaderDevice under its lock; its answers are sent after the lock is released.

#include <functional>
#include <memory>

#include "BootloaderDevice.h"
#include "VirtualBus.h"

class SimBootloader {
public:
    using FrameTap = std::function<void(const BusFrame& frame, int kbit)>;

    SimBootloader(std::shared_ptr<VirtualBus> bus, SimBootloaderOptions options, FrameTap tap = {});
    ~SimBootloader();
    SimBootloader(const SimBootloader&) = delete;
    SimBootloader& operator=(const SimBootloader&) = delete;

    // Runs `fn` on the device under its lock (flash contents, configuration bytes).
    void Inspect(const std::function<void(const BootloaderDevice&)>& fn) const;

private:
    struct Core;
    std::shared_ptr<Core> core_;
};
