#pragma once
// An in-process CAN bus. Each endpoint opens at a bit rate; a frame reaches every other
// endpoint open at the same rate (an endpoint opened at rate 0 takes part at every rate).
// Endpoints either queue frames (bounded; overflow is counted) or hand them to a handler.
// Options: delivery delay, loss of every n-th frame, and bus timing (each frame held for its
// time on the wire, one frame at a time per rate). Safe to use from several threads.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "BusFrame.h"
#include "TimeSource.h"

class VirtualBus;

class VirtualEndpoint : public std::enable_shared_from_this<VirtualEndpoint> {
public:
    using Handler = std::function<void(const BusFrame&)>;

    ~VirtualEndpoint();

    // Opens at `kbit` (0 = every rate). Reopening at another rate empties the queue.
    void Open(int kbit);
    void Close();
    bool IsOpen() const { return open_.load(); }
    int BitRate() const { return kbit_.load(); }
    const std::string& Name() const { return name_; }

    // Sends to the other endpoints at the same rate. False when this endpoint is closed.
    bool Send(const BusFrame& frame);

    // Queue mode.
    bool TryReceive(BusFrame& out);
    size_t Pending() const;
    uint64_t Overflows() const { return overflows_.load(); }
    // Blocks until a frame is queued or the deadline (TimeSource µs) has passed.
    bool WaitReceive(uint64_t deadlineUs);
    void ClearQueue();
    // Puts a driver status frame into this endpoint's own queue (error injection).
    void InjectStatus(uint32_t statusWord);

    // Handler mode: frames go to `handler` on the sender's thread instead of the queue.
    void SetHandler(Handler handler);

private:
    friend class VirtualBus;
    VirtualEndpoint(std::shared_ptr<VirtualBus> bus, std::string name, size_t capacity);
    void Deliver(const BusFrame& frame);

    std::shared_ptr<VirtualBus> bus_;
    std::string name_;
    size_t capacity_;
    std::atomic<bool> open_{false};
    std::atomic<int> kbit_{0};
    std::atomic<uint64_t> overflows_{0};
    Waiter waiter_;  // guards queue_ and handler_
    std::deque<BusFrame> queue_;
    std::shared_ptr<Handler> handler_;
};

class VirtualBus : public std::enable_shared_from_this<VirtualBus> {
public:
    struct Options {
        size_t queueCapacity = 65536;
        uint64_t delayUs = 0;      // added to every delivery
        uint32_t loseEveryNth = 0; // 0: no loss
        bool busTiming = false;    // hold each frame for its time on the wire
    };

    static std::shared_ptr<VirtualBus> Create();
    static std::shared_ptr<VirtualBus> Create(const Options& options);
    // The process-wide bus that the in-process simulator and the station share.
    static std::shared_ptr<VirtualBus> Default();

    std::shared_ptr<VirtualEndpoint> CreateEndpoint(const std::string& name);

    void SetDelayUs(uint64_t us);
    void SetLoseEveryNth(uint32_t n);
    void SetBusTiming(bool on);
    Options CurrentOptions() const;
    // Sees every frame put on the bus (lost ones excepted) with its sender, on the sender's
    // thread; for traces and tests. Null removes it.
    using Monitor = std::function<void(const VirtualEndpoint& from, const BusFrame& frame)>;
    void SetMonitor(Monitor monitor);
    uint64_t FramesSent() const { return sent_.load(); }
    uint64_t FramesLost() const { return lost_.load(); }

private:
    VirtualBus() = default;
    friend class VirtualEndpoint;
    void Transmit(VirtualEndpoint* from, const BusFrame& frame);
    static void DeliverInOrder(std::vector<std::shared_ptr<VirtualEndpoint>> targets, const BusFrame& frame);
    void Unregister(VirtualEndpoint* ep);

    mutable std::mutex mutex_;
    Options options_;
    std::vector<std::weak_ptr<VirtualEndpoint>> endpoints_;
    std::vector<std::pair<int, uint64_t>> busFreeAtUs_;  // per bit rate
    std::shared_ptr<Monitor> monitor_;
    uint64_t counter_ = 0;
    std::atomic<uint64_t> sent_{0};
    std::atomic<uint64_t> lost_{0};
};
