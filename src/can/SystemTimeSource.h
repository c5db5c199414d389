#pragma once
// Real time: the system clock for the value, a steady clock for waits, one timer thread.

#include <map>
#include <thread>

#include "TimeSource.h"

class SystemTimeSource final : public TimeSource {
public:
    SystemTimeSource();
    ~SystemTimeSource() override;

    uint64_t NowUs() override;
    EventId ScheduleAt(uint64_t atUs, Callback fn) override;
    void Cancel(EventId id) override;
    bool WaitUntil(Waiter& w, uint64_t deadlineUs, const std::function<bool()>& ready) override;
    void SleepUntil(uint64_t deadlineUs) override;

private:
    void TimerThread();

    // Wall-clock reading at construction and the steady clock then: NowUs never jumps
    // when somebody sets the system clock during a run.
    uint64_t wallAtStartUs_ = 0;
    int64_t steadyAtStartNs_ = 0;

    std::mutex mutex_;
    std::condition_variable cv_;
    std::multimap<uint64_t, std::pair<EventId, Callback>> events_;
    EventId nextId_ = 1;
    bool stop_ = false;
    std::thread thread_;
};
