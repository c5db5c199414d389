// Channel, virtual bus and trace logger figures.
#include <time.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "CANLogger.h"
#include "CanChannel.h"
#include "CanSettings.h"
#include "VirtualCanInterface.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

tagOPEN_Message EightBytes(uint32_t id) {
    tagOPEN_Message m;
    m.id = id;
    m.dlc = 8;
    m.data = {1, 2, 3, 4, 5, 6, 7, 8};
    return m;
}

void VirtualBusThroughput() {
    auto bus = VirtualBus::Create();
    auto station = std::make_shared<VirtualCanInterface>(bus, "station");
    auto device = std::make_shared<VirtualCanInterface>(bus, "device");
    DefaultCanSettings().SetVariable("Baudr", 0);
    station->Init();
    device->Init();
    CanSetInterface(device);
    constexpr int kFrames = 2'000'000;
    constexpr int kBatch = 1000;
    tagOPEN_Message rx;
    uint64_t received = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < kFrames; i += kBatch) {
        for (int j = 0; j < kBatch; ++j) {
            tagOPEN_Message m = EightBytes(0x181);
            station->Write(&m);
        }
        while (received < static_cast<uint64_t>(i + kBatch)) {
            if (CanRead(&rx) == CAN_RESULT_NO_CHANNEL) break;
            received += rx.rxCount;
        }
    }
    const double s = Seconds(t0, Clock::now());
    std::printf("virtual bus CanWrite->CanRead: %.0f frames/s\n", received / s);
    CanSetInterface(nullptr);
}

void LoggerFigures() {
    CANLogger log(CANLogger::kDefaultCapacity);
    log.Enable();
    constexpr int kFrames = 1'000'000;
    tagOPEN_Message m = EightBytes(0x181);
    const auto t0 = Clock::now();
    for (int i = 0; i < kFrames; ++i) {
        m.timestamp = static_cast<uint64_t>(i) * 125;
        m.id = 0x100 + (i & 0x3FF);
        log.Add(m);
    }
    const auto t1 = Clock::now();
    std::printf("CANLogger::Add (enabled): %.0f frames/s\n", kFrames / Seconds(t0, t1));
    std::printf("CANLogger memory per frame: %zu bytes\n", log.MemoryBytes() / log.Size());
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/trace.csv";
    const auto t2 = Clock::now();
    const bool ok = log.WriteCsv(path, "bench");
    const auto t3 = Clock::now();
    std::printf("CANLogger::WriteCsv: %.0f lines/s%s\n", kFrames / Seconds(t2, t3), ok ? "" : " (write failed)");
}

void WaitFigures() {
    auto bus = VirtualBus::Create();
    auto station = std::make_shared<VirtualCanInterface>(bus, "station");
    auto peer = bus->CreateEndpoint("peer");
    DefaultCanSettings().SetVariable("Baudr", 2);
    CanSetInterface(station);
    CanOpen();
    peer->Open(500);

    // A wait for a frame that never comes.
    tagOPEN_Message m;
    const double c0 = ThreadCpuSeconds();
    const auto w0 = Clock::now();
    CanWaitForId(200, 0x581, &m);
    const double wall = Seconds(w0, Clock::now());
    const double cpu = ThreadCpuSeconds() - c0;
    std::printf("CanWaitForId 200 ms without frame: %.2f %% CPU of one core (wall %.1f ms)\n",
                100.0 * cpu / wall, wall * 1000);

    // Delay from a frame's arrival to the wait's return.
    std::vector<double> delays;
    for (int i = 0; i < 200; ++i) {
        Clock::time_point sent;
        std::thread sender([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(2000));
            BusFrame f;
            f.id = 0x581;
            f.len = 8;
            sent = Clock::now();
            peer->Send(f);
        });
        CanWaitForId(100, 0x581, &m);
        const auto back = Clock::now();
        sender.join();
        delays.push_back(std::chrono::duration<double, std::micro>(back - sent).count());
    }
    std::sort(delays.begin(), delays.end());
    std::printf("CanWaitForId wake-up after arrival: median %.0f us, p99 %.0f us, max %.0f us\n",
                delays[delays.size() / 2], delays[delays.size() * 99 / 100], delays.back());
    CanSetInterface(nullptr);
}
}  // namespace

int main() {
    VirtualBusThroughput();
    LoggerFigures();
    WaitFigures();
    return 0;
}
