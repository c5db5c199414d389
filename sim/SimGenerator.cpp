#include "SimGenerator.h"

#include <mutex>
#include <vector>

#include "TimeSource.h"

struct SimGenerator::Core : std::enable_shared_from_this<SimGenerator::Core> {
    explicit Core(GeneratorOptions options) : device(options) {}

    void Run(const BusFrame* in, uint64_t wake);
    void ScheduleLocked(uint64_t nowUs);
    void Send(const std::vector<BusFrame>& out);

    mutable std::mutex mutex;
    GeneratorDevice device;
    std::shared_ptr<VirtualEndpoint> endpoint;
    FrameTap tap;
    uint64_t wakeAtUs = GeneratorDevice::kNever;
    uint64_t wakeGeneration = 0;
    bool stopped = false;
};

void SimGenerator::Core::ScheduleLocked(uint64_t nowUs) {
    uint64_t next = device.NextDueUs();
    if (next == GeneratorDevice::kNever || next >= wakeAtUs) return;
    if (next <= nowUs) next = nowUs + 1;
    wakeAtUs = next;
    const uint64_t generation = ++wakeGeneration;
    std::weak_ptr<Core> weak = shared_from_this();
    CurrentTimeSource().ScheduleAt(next, [weak, generation] {
        if (auto core = weak.lock()) core->Run(nullptr, generation);
    });
}

void SimGenerator::Core::Send(const std::vector<BusFrame>& out) {
    for (const BusFrame& f : out) {
        if (tap) tap(f, device.BitRateKbit());
        endpoint->Send(f);
    }
}

void SimGenerator::Core::Run(const BusFrame* in, uint64_t wake) {
    std::vector<BusFrame> out;
    {
        std::lock_guard lock(mutex);
        if (stopped) return;
        const uint64_t now = CurrentTimeSource().NowUs();
        if (in) {
            device.HandleFrame(*in, now, out);
        } else {
            if (wake != wakeGeneration) return;  // replaced by an earlier wake-up
            wakeAtUs = GeneratorDevice::kNever;
            device.OnTime(now, out);
        }
        ScheduleLocked(now);
    }
    Send(out);
}

SimGenerator::SimGenerator(std::shared_ptr<VirtualBus> bus, GeneratorOptions options, FrameTap tap)
    : core_(std::make_shared<Core>(options)) {
    core_->tap = std::move(tap);
    core_->endpoint = bus->CreateEndpoint("generator");
    std::weak_ptr<Core> weak = core_;
    core_->endpoint->SetHandler([weak](const BusFrame& f) {
        if (auto core = weak.lock()) core->Run(&f, 0);
    });
    core_->endpoint->Open(options.kbit);
    std::vector<BusFrame> out;
    {
        std::lock_guard lock(core_->mutex);
        core_->device.PowerOn(CurrentTimeSource().NowUs(), out);
    }
    core_->Send(out);
}

SimGenerator::~SimGenerator() {
    {
        std::lock_guard lock(core_->mutex);
        core_->stopped = true;
    }
    core_->endpoint->SetHandler(nullptr);
    core_->endpoint->Close();
}

uint8_t SimGenerator::NodeId() const {
    std::lock_guard lock(core_->mutex);
    return core_->device.NodeId();
}

bool SimGenerator::Running() const {
    std::lock_guard lock(core_->mutex);
    return core_->device.Running();
}

uint64_t SimGenerator::FramesSent() const {
    std::lock_guard lock(core_->mutex);
    return core_->device.FramesSent();
}
