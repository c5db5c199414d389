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
    dueUs_ = CurrentTimeSource().NowUs() + static_cast<uint64_t>(intervalMs_) * 1000u;
    Arm();
}

void PreciseTimer::Stop() {
    active_ = false;
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
    const uint64_t now = CurrentTimeSource().NowUs();
    if (now < dueUs_) {
        Arm();
        return;
    }
    dueUs_ = now + static_cast<uint64_t>(intervalMs_) * 1000u;
    Arm();
    Fire();
}
