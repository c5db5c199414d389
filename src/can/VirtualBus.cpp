#include "VirtualBus.h"

#include <algorithm>

VirtualEndpoint::VirtualEndpoint(std::shared_ptr<VirtualBus> bus, std::string name, size_t capacity)
    : bus_(std::move(bus)), name_(std::move(name)), capacity_(capacity) {}

VirtualEndpoint::~VirtualEndpoint() { bus_->Unregister(this); }

void VirtualEndpoint::Open(int kbit) {
    if (kbit_.exchange(kbit) != kbit) ClearQueue();
    open_ = true;
}

void VirtualEndpoint::Close() {
    open_ = false;
    ClearQueue();
}

bool VirtualEndpoint::Send(const BusFrame& frame) {
    if (!open_) return false;
    bus_->Transmit(this, frame);
    return true;
}

bool VirtualEndpoint::TryReceive(BusFrame& out) {
    std::lock_guard lock(waiter_.mutex);
    if (queue_.empty()) return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
}

size_t VirtualEndpoint::Pending() const {
    std::lock_guard lock(const_cast<Waiter&>(waiter_).mutex);
    return queue_.size();
}

bool VirtualEndpoint::WaitReceive(uint64_t deadlineUs) {
    return CurrentTimeSource().WaitUntil(waiter_, deadlineUs, [this] { return !queue_.empty(); });
}

void VirtualEndpoint::ClearQueue() {
    std::lock_guard lock(waiter_.mutex);
    queue_.clear();
}

void VirtualEndpoint::InjectStatus(uint32_t statusWord) {
    BusFrame f;
    f.statusWord = statusWord;
    f.timeUs = CurrentTimeSource().NowUs();
    {
        std::lock_guard lock(waiter_.mutex);
        queue_.push_back(f);
    }
    waiter_.cv.notify_all();
}

void VirtualEndpoint::SetHandler(Handler handler) {
    std::lock_guard lock(waiter_.mutex);
    handler_ = handler ? std::make_shared<Handler>(std::move(handler)) : nullptr;
}

void VirtualEndpoint::Deliver(const BusFrame& frame) {
    std::unique_lock lock(waiter_.mutex);
    if (!open_) return;
    if (handler_) {
        auto handler = handler_;
        lock.unlock();
        (*handler)(frame);
        return;
    }
    if (queue_.size() >= capacity_) {
        ++overflows_;
        return;
    }
    queue_.push_back(frame);
    lock.unlock();
    waiter_.cv.notify_all();
}

namespace {
// Deliveries in order of transmission. A handler that sends while a frame is being delivered
// (a device answering) must not let its answer reach the remaining targets before the frame
// that caused it, so nested sends on the same thread wait in this queue until the outer
// delivery is complete.
struct PendingDelivery {
    std::vector<std::shared_ptr<VirtualEndpoint>> targets;
    BusFrame frame;
};
thread_local bool t_delivering = false;
thread_local std::deque<PendingDelivery> t_pending;
}  // namespace

void VirtualBus::DeliverInOrder(std::vector<std::shared_ptr<VirtualEndpoint>> targets, const BusFrame& frame) {
    if (t_delivering) {
        t_pending.push_back({std::move(targets), frame});
        return;
    }
    t_delivering = true;
    for (auto& ep : targets) ep->Deliver(frame);
    while (!t_pending.empty()) {
        PendingDelivery next = std::move(t_pending.front());
        t_pending.pop_front();
        for (auto& ep : next.targets) ep->Deliver(next.frame);
    }
    t_delivering = false;
}

std::shared_ptr<VirtualBus> VirtualBus::Create() { return Create(Options{}); }

std::shared_ptr<VirtualBus> VirtualBus::Create(const Options& options) {
    std::shared_ptr<VirtualBus> bus(new VirtualBus());
    bus->options_ = options;
    return bus;
}

std::shared_ptr<VirtualBus> VirtualBus::Default() {
    static std::shared_ptr<VirtualBus> bus = Create();
    return bus;
}

std::shared_ptr<VirtualEndpoint> VirtualBus::CreateEndpoint(const std::string& name) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<VirtualEndpoint> ep(new VirtualEndpoint(shared_from_this(), name, options_.queueCapacity));
    endpoints_.push_back(ep);
    return ep;
}

void VirtualBus::Unregister(VirtualEndpoint* ep) {
    std::lock_guard lock(mutex_);
    std::erase_if(endpoints_, [ep](const std::weak_ptr<VirtualEndpoint>& w) {
        auto s = w.lock();
        return !s || s.get() == ep;
    });
}

void VirtualBus::SetDelayUs(uint64_t us) {
    std::lock_guard lock(mutex_);
    options_.delayUs = us;
}

void VirtualBus::SetLoseEveryNth(uint32_t n) {
    std::lock_guard lock(mutex_);
    options_.loseEveryNth = n;
    counter_ = 0;
}

void VirtualBus::SetBusTiming(bool on) {
    std::lock_guard lock(mutex_);
    options_.busTiming = on;
}

void VirtualBus::SetMonitor(Monitor monitor) {
    std::lock_guard lock(mutex_);
    monitor_ = monitor ? std::make_shared<Monitor>(std::move(monitor)) : nullptr;
}

VirtualBus::Options VirtualBus::CurrentOptions() const {
    std::lock_guard lock(mutex_);
    return options_;
}

void VirtualBus::Transmit(VirtualEndpoint* from, const BusFrame& frameIn) {
    std::vector<std::shared_ptr<VirtualEndpoint>> targets;
    TimeSource& clock = CurrentTimeSource();
    const uint64_t now = clock.NowUs();
    uint64_t deliverAt = now;
    const int rate = from->BitRate();
    std::shared_ptr<Monitor> monitor;
    {
        std::lock_guard lock(mutex_);
        ++sent_;
        if (options_.loseEveryNth > 0 && ++counter_ % options_.loseEveryNth == 0) {
            ++lost_;
            return;
        }
        monitor = monitor_;
        for (auto& w : endpoints_) {
            auto ep = w.lock();
            if (!ep || ep.get() == from || !ep->IsOpen()) continue;
            const int epRate = ep->BitRate();
            if (rate != 0 && epRate != 0 && epRate != rate) continue;
            targets.push_back(std::move(ep));
        }
        if (options_.busTiming && rate > 0) {
            auto slot = std::find_if(busFreeAtUs_.begin(), busFreeAtUs_.end(),
                                     [rate](const auto& p) { return p.first == rate; });
            if (slot == busFreeAtUs_.end()) {
                busFreeAtUs_.emplace_back(rate, 0);
                slot = busFreeAtUs_.end() - 1;
            }
            const uint64_t bits = CanFrameBitLength(frameIn);
            const uint64_t wireUs = (bits * 1000 + static_cast<uint64_t>(rate) - 1) / static_cast<uint64_t>(rate);
            const uint64_t start = std::max(now, slot->second);
            slot->second = start + wireUs;
            deliverAt = slot->second;
        }
        deliverAt += options_.delayUs;
    }
    if (monitor) (*monitor)(*from, frameIn);
    if (targets.empty()) return;
    BusFrame frame = frameIn;
    frame.statusWord = 0;
    if (frame.len > 8) frame.len = 8;
    if (deliverAt <= now) {
        frame.timeUs = now;
        DeliverInOrder(std::move(targets), frame);
        return;
    }
    frame.timeUs = deliverAt;
    std::vector<std::weak_ptr<VirtualEndpoint>> later(targets.begin(), targets.end());
    clock.ScheduleAt(deliverAt, [later = std::move(later), frame] {
        std::vector<std::shared_ptr<VirtualEndpoint>> live;
        for (auto& w : later)
            if (auto ep = w.lock()) live.push_back(std::move(ep));
        DeliverInOrder(std::move(live), frame);
    });
}
