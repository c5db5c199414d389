#include "PreciseTimer.h"

#include "TimeSource.h"

PreciseTimer::PreciseTimer() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { OnTimeout(); });
}

PreciseTimer::~PreciseTimer() { timer_.stop(); }

void PreciseTimer::Start(int intervalMs) {
    intervalMs_ = intervalMs < 0 ? 0 : intervalMs;
    active_ = true;
    ++generation_;
    dueUs_ = CurrentTimeSource().NowUs() + static_cast<uint64_t>(intervalMs_) * 1000u;
    Arm();
}

void PreciseTimer::Stop() {
    active_ = false;
    ++generation_;
    timer_.stop();
}

void PreciseTimer::Arm() {
    const uint64_t now = CurrentTimeSource().NowUs();
    // Qt timers count whole milliseconds: wait for the whole ones, then poll the last fraction.
    const uint64_t remainingUs = dueUs_ > now ? dueUs_ - now : 0;
    timer_.start(static_cast<int>(remainingUs / 1000u));
}

void PreciseTimer::OnTimeout() {
    if (!active_) return;
    if (CurrentTimeSource().NowUs() < dueUs_) {
        Arm();
        return;
    }
    const uint64_t generation = generation_;
    Fire();
    // The next tick is due one interval after this one has been handled, so whatever the
    // handler measures between two ticks is at least the interval. A handler that stopped or
    // restarted the timer has armed it already.
    if (!active_ || generation != generation_) return;
    dueUs_ = CurrentTimeSource().NowUs() + static_cast<uint64_t>(intervalMs_) * 1000u;
    Arm();
}
