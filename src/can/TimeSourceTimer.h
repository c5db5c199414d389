#pragma once
// A TimerPort on the current TimeSource: with virtual time it ticks as the test advances
// time; with real time it ticks on the time source's timer thread.

#include <mutex>

#include "Ports.h"
#include "TimeSource.h"

class TimeSourceTimer final : public TimerPort {
public:
    ~TimeSourceTimer() override;
    void Start(int intervalMs) override;
    void Stop() override;
    bool IsActive() const override { return active_; }
    int IntervalMs() const override { return intervalMs_; }

private:
    void Arm(uint64_t atUs);
    void OnDue(uint64_t generation);

    bool active_ = false;
    int intervalMs_ = 0;
    uint64_t generation_ = 0;
    TimeSource::EventId event_ = 0;
    std::recursive_mutex mutex_;
};
