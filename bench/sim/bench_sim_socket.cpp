// Frames per second through quarzel-sim's socket between two clients. The sender keeps at most
// a window of frames unacknowledged, so the figure is what arrives, not what is dropped.

#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <thread>

#include "RawBusClient.h"
#include "SimBusServer.h"
#include "SimBytes.h"
#include "TimeSource.h"

namespace {
constexpr uint64_t kRunUs = 1000000;
constexpr int kWindow = 128;
constexpr int kAckEvery = 32;
}  // namespace

int main() {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/bench.sock";
    auto bus = VirtualBus::Create();
    SimBusServer server(bus, {path});
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "bench_sim_socket: %s\n", error.c_str());
        return 1;
    }
    std::thread serving([&] { server.Run(); });

    RawBusClient sender(path), receiver(path);
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> received{0};
    std::thread receiving([&] {
        int sinceAck = 0;
        while (!stop) {
            auto f = receiver.Receive(100);
            if (!f || f->id != 0x181) continue;
            ++received;
            if (++sinceAck == kAckEvery) {
                sinceAck = 0;
                receiver.SendFrame(MakeFrame(0x7F0, {}));
            }
        }
    });

    TimeSource& clock = CurrentTimeSource();
    const uint64_t start = clock.NowUs();
    uint64_t sent = 0, acked = 0;
    BusFrame f = MakeFrame(0x181, {1, 2, 3, 4, 5, 6, 7, 8});
    while (clock.NowUs() - start < kRunUs) {
        while (sent - acked < kWindow) {
            sender.SendFrame(f);
            ++sent;
        }
        if (auto ack = sender.Receive(100); ack && ack->id == 0x7F0) acked += kAckEvery;
    }
    const double seconds = static_cast<double>(clock.NowUs() - start) / 1e6;
    stop = true;
    receiving.join();
    server.Stop();
    serving.join();
    std::printf("sim_socket_frames_per_s: %.0f frames/s\n", static_cast<double>(received.load()) / seconds);
    std::printf("sim_socket_dropped: %llu frames\n", static_cast<unsigned long long>(server.DroppedFrames()));
    return 0;
}
