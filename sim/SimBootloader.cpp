#include "SimBootloader.h"

#include <mutex>
#include <vector>

struct SimBootloader::Core {
    explicit Core(const SimBootloaderOptions& options) : device(options) {}
    mutable std::mutex mutex;
    BootloaderDevice device;
    std::shared_ptr<VirtualEndpoint> endpoint;
    FrameTap tap;
    bool stopped = false;
};

SimBootloader::SimBootloader(std::shared_ptr<VirtualBus> bus, SimBootloaderOptions options, FrameTap tap)
    : core_(std::make_shared<Core>(options)) {
    core_->tap = std::move(tap);
    core_->endpoint = bus->CreateEndpoint("bootloader");
    std::weak_ptr<Core> weak = core_;
    core_->endpoint->SetHandler([weak](const BusFrame& in) {
        auto core = weak.lock();
        if (!core) return;
        std::vector<BusFrame> out;
        {
            std::lock_guard lock(core->mutex);
            if (core->stopped) return;
            core->device.HandleFrame(in, out);
        }
        for (const BusFrame& f : out) {
            if (core->tap) core->tap(f, core->device.BitRateKbit());
            core->endpoint->Send(f);
        }
    });
    core_->endpoint->Open(core_->device.BitRateKbit());
}

SimBootloader::~SimBootloader() {
    {
        std::lock_guard lock(core_->mutex);
        core_->stopped = true;
    }
    core_->endpoint->SetHandler(nullptr);
    core_->endpoint->Close();
}

void SimBootloader::Inspect(const std::function<void(const BootloaderDevice&)>& fn) const {
    std::lock_guard lock(core_->mutex);
    fn(core_->device);
}
