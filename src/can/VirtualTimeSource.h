#pragma once
// Virtual time for tests and simulations: time moves only when advanced. Waits and sleeps
// advance it themselves, running every event that falls due on the way, so a 2000 ms
// time-out takes microseconds and the order of events is always the same.

#include <map>

#include "TimeSource.h"

class VirtualTimeSource final : public TimeSource {
public:
    // Starts at an arbitrary but fixed point (1 January 2024, 00:00 UTC, in 1601-based µs).
    explicit VirtualTimeSource(uint64_t startUs = 13348540800ull * 1000000ull);

    uint64_t NowUs() override { return nowUs_; }
    EventId ScheduleAt(uint64_t atUs, Callback fn) override;
    void Cancel(EventId id) override;
    bool WaitUntil(Waiter& w, uint64_t deadlineUs, const std::function<bool()>& ready) override;
    void SleepUntil(uint64_t deadlineUs) override { AdvanceTo(deadlineUs); }
    bool IsVirtual() const override { return true; }

    // Runs every event due up to `targetUs` in time order, then sets the time to it.
    void AdvanceTo(uint64_t targetUs);
    void AdvanceByUs(uint64_t us) { AdvanceTo(nowUs_ + us); }
    void AdvanceByMs(uint64_t ms) { AdvanceTo(nowUs_ + ms * 1000u); }
    // Advances event by event until `done()` or the limit; returns done().
    bool RunUntil(const std::function<bool()>& done, uint64_t limitUs);
    // Time of the next pending event, or UINT64_MAX.
    uint64_t NextEventUs() const;
    size_t PendingEvents() const { return events_.size(); }

private:
    bool RunNextEventUpTo(uint64_t limitUs);

    uint64_t nowUs_;
    std::multimap<uint64_t, std::pair<EventId, Callback>> events_;
    EventId nextId_ = 1;
};

// Installs a VirtualTimeSource for the lifetime of the guard.
class ScopedVirtualTime {
public:
    ScopedVirtualTime() { SetTimeSource(&source_); }
    ~ScopedVirtualTime() { SetTimeSource(nullptr); }
    ScopedVirtualTime(const ScopedVirtualTime&) = delete;
    ScopedVirtualTime& operator=(const ScopedVirtualTime&) = delete;
    VirtualTimeSource& operator*() { return source_; }
    VirtualTimeSource* operator->() { return &source_; }

private:
    VirtualTimeSource source_;
};
