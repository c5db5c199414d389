#include "SystemTimeSource.h"

#include <chrono>

namespace {
// Microseconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpoch1601To1970Us = 11644473600ull * 1000000ull;

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::chrono::steady_clock::time_point SteadyPointFor(uint64_t wallAtStartUs, int64_t steadyAtStartNs,
                                                      uint64_t targetUs) {
    const int64_t deltaUs = static_cast<int64_t>(targetUs - wallAtStartUs);
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(steadyAtStartNs) +
                                                 std::chrono::microseconds(deltaUs));
}
}  // namespace

SystemTimeSource::SystemTimeSource() {
    const auto wall = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
    wallAtStartUs_ = static_cast<uint64_t>(wall) + kEpoch1601To1970Us;
    steadyAtStartNs_ = SteadyNs();
}

SystemTimeSource::~SystemTimeSource() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
}

uint64_t SystemTimeSource::NowUs() {
    return wallAtStartUs_ + static_cast<uint64_t>((SteadyNs() - steadyAtStartNs_) / 1000);
}

TimeSource::EventId SystemTimeSource::ScheduleAt(uint64_t atUs, Callback fn) {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) thread_ = std::thread([this] { TimerThread(); });
    const EventId id = nextId_++;
    events_.emplace(atUs, std::make_pair(id, std::move(fn)));
    cv_.notify_all();
    return id;
}

void SystemTimeSource::Cancel(EventId id) {
    std::lock_guard lock(mutex_);
    for (auto it = events_.begin(); it != events_.end(); ++it) {
        if (it->second.first == id) {
            events_.erase(it);
            return;
        }
    }
}

void SystemTimeSource::TimerThread() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (events_.empty()) {
            cv_.wait(lock);
            continue;
        }
        auto first = events_.begin();
        const uint64_t due = first->first;
        if (NowUs() < due) {
            cv_.wait_until(lock, SteadyPointFor(wallAtStartUs_, steadyAtStartNs_, due));
            continue;
        }
        Callback fn = std::move(first->second.second);
        events_.erase(first);
        lock.unlock();
        fn();
        lock.lock();
    }
}

bool SystemTimeSource::WaitUntil(Waiter& w, uint64_t deadlineUs, const std::function<bool()>& ready) {
    std::unique_lock lock(w.mutex);
    const auto until = SteadyPointFor(wallAtStartUs_, steadyAtStartNs_, deadlineUs);
    return w.cv.wait_until(lock, until, ready);
}

void SystemTimeSource::SleepUntil(uint64_t deadlineUs) {
    std::this_thread::sleep_until(SteadyPointFor(wallAtStartUs_, steadyAtStartNs_, deadlineUs));
}
