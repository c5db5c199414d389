#pragma once
// A TimerPort on the Qt event loop that never ticks early: a precise Qt timer, re-armed for the
// remainder whenever it wakes before the tick is due. The interval counts from the end of the
// previous tick's handler. The desktop and the headless runner use it.

#include <QTimer>
#include <cstdint>

#include "Ports.h"

class PreciseTimer final : public TimerPort {
public:
    PreciseTimer();
    ~PreciseTimer() override;
    void Start(int intervalMs) override;
    void Stop() override;
    bool IsActive() const override { return active_; }
    int IntervalMs() const override { return intervalMs_; }

private:
    void Arm();
    void OnTimeout();

    QTimer timer_;
    bool active_ = false;
    int intervalMs_ = 0;
    uint64_t dueUs_ = 0;  // TimeSource µs of the next tick
    uint64_t generation_ = 0;  // counts Start and Stop calls
};
