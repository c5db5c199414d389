#include "SimEncoder.h"

#include <mutex>
#include <vector>

#include "TimeSource.h"

struct SimEncoder::Core : std::enable_shared_from_this<SimEncoder::Core> {
    explicit Core(EncoderOptions options) : device(std::move(options)) {}

    // A frame from the bus (`in`), or a wake-up of generation `wake`.
    void Run(const BusFrame* in, uint64_t wake);
    void ScheduleLocked(uint64_t nowUs);

    mutable std::mutex mutex;
    EncoderDevice device;
    std::shared_ptr<VirtualEndpoint> endpoint;
    FrameTap tap;
    int openKbit = 0;
    uint64_t wakeAtUs = EncoderDevice::kNever;
    uint64_t wakeGeneration = 0;
    bool stopped = false;
};

void SimEncoder::Core::ScheduleLocked(uint64_t nowUs) {
    uint64_t next = device.NextDueUs();
    if (next == EncoderDevice::kNever || next >= wakeAtUs) return;
    if (next <= nowUs) next = nowUs + 1;
    wakeAtUs = next;
    const uint64_t generation = ++wakeGeneration;
    std::weak_ptr<Core> weak = shared_from_this();
    CurrentTimeSource().ScheduleAt(next, [weak, generation] {
        if (auto core = weak.lock()) core->Run(nullptr, generation);
    });
}

void SimEncoder::Core::Run(const BusFrame* in, uint64_t wake) {
    std::vector<BusFrame> out;
    int reopen = 0;
    int kbit = 0;
    {
        std::lock_guard lock(mutex);
        if (stopped) return;
        const uint64_t now = CurrentTimeSource().NowUs();
        if (in) {
            device.HandleFrame(*in, now, out);
        } else {
            if (wake != wakeGeneration) return;  // replaced by an earlier wake-up
            wakeAtUs = EncoderDevice::kNever;
            device.OnTime(now, out);
        }
        // What falls due at once (a boot-up without delay) goes out with this call.
        for (int i = 0; i < 4 && device.NextDueUs() <= now; ++i) device.OnTime(now, out);
        if (device.BitRateKbit() != openKbit) reopen = openKbit = device.BitRateKbit();
        kbit = openKbit;
        ScheduleLocked(now);
    }
    if (reopen > 0) endpoint->Open(reopen);
    for (const BusFrame& f : out) {
        if (tap) tap(f, kbit);
        endpoint->Send(f);
    }
}

SimEncoder::SimEncoder(std::shared_ptr<VirtualBus> bus, EncoderOptions options, FrameTap tap)
    : core_(std::make_shared<Core>(std::move(options))) {
    core_->tap = std::move(tap);
    core_->endpoint = bus->CreateEndpoint("encoder");
    std::weak_ptr<Core> weak = core_;
    core_->endpoint->SetHandler([weak](const BusFrame& f) {
        if (auto core = weak.lock()) core->Run(&f, 0);
    });
    int kbit = 0;
    std::vector<BusFrame> out;
    {
        std::lock_guard lock(core_->mutex);
        const uint64_t now = CurrentTimeSource().NowUs();
        core_->device.PowerOn(now);
        if (core_->device.NextDueUs() <= now) core_->device.OnTime(now, out);
        kbit = core_->openKbit = core_->device.BitRateKbit();
        core_->ScheduleLocked(now);
    }
    core_->endpoint->Open(kbit);
    for (const BusFrame& f : out) {
        if (core_->tap) core_->tap(f, kbit);
        core_->endpoint->Send(f);
    }
}

SimEncoder::~SimEncoder() {
    {
        std::lock_guard lock(core_->mutex);
        core_->stopped = true;
    }
    core_->endpoint->SetHandler(nullptr);
    core_->endpoint->Close();
}

uint8_t SimEncoder::NodeId() const {
    std::lock_guard lock(core_->mutex);
    return core_->device.NodeId();
}

int SimEncoder::BitRateKbit() const {
    std::lock_guard lock(core_->mutex);
    return core_->device.BitRateKbit();
}

NmtState SimEncoder::State() const {
    std::lock_guard lock(core_->mutex);
    return core_->device.State();
}

std::string SimEncoder::StoreError() const {
    std::lock_guard lock(core_->mutex);
    return core_->device.StoreError();
}

void SimEncoder::Inspect(const std::function<void(const EncoderDevice&)>& fn) const {
    std::lock_guard lock(core_->mutex);
    fn(core_->device);
}
