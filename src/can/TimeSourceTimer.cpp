#include "TimeSourceTimer.h"

TimeSourceTimer::~TimeSourceTimer() { Stop(); }

void TimeSourceTimer::Start(int intervalMs) {
    std::lock_guard lock(mutex_);
    if (active_ && event_) CurrentTimeSource().Cancel(event_);
    intervalMs_ = intervalMs < 0 ? 0 : intervalMs;
    active_ = true;
    ++generation_;
    Arm(CurrentTimeSource().NowUs() + static_cast<uint64_t>(intervalMs_) * 1000u);
}

void TimeSourceTimer::Stop() {
    std::lock_guard lock(mutex_);
    if (active_ && event_) CurrentTimeSource().Cancel(event_);
    active_ = false;
    event_ = 0;
    ++generation_;
}

void TimeSourceTimer::Arm(uint64_t atUs) {
    const uint64_t gen = generation_;
    event_ = CurrentTimeSource().ScheduleAt(atUs, [this, gen] { OnDue(gen); });
}

void TimeSourceTimer::OnDue(uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (!active_ || generation != generation_) return;
    event_ = 0;
    // A zero interval still advances time by 1 µs per tick so a virtual clock cannot stall.
    const uint64_t step = intervalMs_ > 0 ? static_cast<uint64_t>(intervalMs_) * 1000u : 1u;
    Arm(CurrentTimeSource().NowUs() + step);
    Fire();
}
