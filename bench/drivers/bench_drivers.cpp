// PCAN adapter figures: frames/s from CanWrite to CanRead through PeakCanInterface over the
// stand-in library, the same path on the virtual interface directly (the ratio is the adapter's
// own overhead), and the CPU a wait for a frame costs.
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

#include "CanChannel.h"
#include "CanSettings.h"
#include "PcanSimLibrary.h"
#include "PeakCanInterface.h"
#include "PeakHandleGuard.h"
#include "VirtualCanInterface.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

double ProcessCpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// A device on the bus that answers every frame with the next identifier.
std::shared_ptr<VirtualEndpoint> Echo(const std::shared_ptr<VirtualBus>& bus) {
    auto echo = bus->CreateEndpoint("echo");
    std::weak_ptr<VirtualEndpoint> self = echo;
    echo->SetHandler([self](const BusFrame& f) {
        BusFrame answer = f;
        answer.id = f.id + 1;
        if (auto ep = self.lock()) ep->Send(answer);
    });
    echo->Open(125);
    return echo;
}

// Frames/s from CanWrite to CanRead on the current interface, the echo answering each frame.
double RoundTrips() {
    constexpr int kFrames = 200'000;
    constexpr int kBatch = 64;
    tagOPEN_Message tx;
    tx.id = 0x181;
    tx.dlc = 8;
    tx.data = {1, 2, 3, 4, 5, 6, 7, 8};
    tagOPEN_Message rx;
    uint64_t received = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < kFrames; i += kBatch) {
        for (int j = 0; j < kBatch; ++j) CanWrite(&tx);
        if (CanRead(&rx) != CAN_RESULT_NONE) received += rx.rxCount;
    }
    const double s = Seconds(t0, Clock::now());
    if (received != static_cast<uint64_t>(kFrames)) std::fprintf(stderr, "lost frames: %llu of %d\n",
                                                                  static_cast<unsigned long long>(received), kFrames);
    return static_cast<double>(received) / s;
}

double IdleWaitCpuPercent() {
    tagOPEN_Message rx;
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    CanWaitForId(1000, 0x7FF, &rx);
    return 100.0 * (ProcessCpuSeconds() - cpu0) / Seconds(t0, Clock::now());
}
}  // namespace

int main() {
    QTemporaryDir locks;
    SetPeakHandleGuardDirectory(locks.path().toStdString());
    MapCanSettings& settings = DefaultCanSettings();
    settings.SetConfig("[CAN_TREIBER_TYP]", PCANSIM_LIBRARY);
    settings.SetConfig("[CAN_TREIBER_HWID]", "1");
    settings.SetVariable("Baudr", 4);
    settings.SetVariable("CANInitDelay", 0);

    auto bus = VirtualBus::Create();
    auto echo = Echo(bus);

    PcanSimLibrary sim(PCANSIM_LIBRARY);
    if (!sim.IsLoaded()) {
        std::fprintf(stderr, "stand-in library: %s\n", sim.Error().c_str());
        return 1;
    }
    sim.AttachBus(bus);
    auto peak = std::make_shared<PeakCanInterface>();
    CanSetInterface(peak);
    if (!CanOpen()) return 1;
    const double peakRate = RoundTrips();
    const double peakCpu = IdleWaitCpuPercent();
    CanClose();
    sim.Detach();

    auto virt = std::make_shared<VirtualCanInterface>(bus, "station");
    CanSetInterface(virt);
    if (!CanOpen()) return 1;
    const double virtualRate = RoundTrips();
    const double virtualCpu = IdleWaitCpuPercent();
    CanClose();
    CanSetInterface(nullptr);

    std::printf("peak_write_to_read: %.0f frames/s\n", peakRate);
    std::printf("virtual_write_to_read: %.0f frames/s\n", virtualRate);
    std::printf("peak_adapter_overhead: %.2f x\n", virtualRate / peakRate);
    std::printf("peak_idle_wait_cpu: %.2f %%\n", peakCpu);
    std::printf("virtual_idle_wait_cpu: %.2f %%\n", virtualCpu);
    return 0;
}
