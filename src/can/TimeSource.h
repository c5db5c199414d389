#pragma once
// The one process clock behind HrTimeNow, with timed callbacks and blocking waits.
// The real source reads the system clock; tests install a VirtualTimeSource so that
// time only moves when the test (or a wait) moves it.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// A wake-up point for WaitUntil: whoever makes the awaited condition true notifies `cv`
// while holding (or just after releasing) `mutex`.
struct Waiter {
    std::mutex mutex;
    std::condition_variable cv;
};

class TimeSource {
public:
    using Callback = std::function<void()>;
    using EventId = uint64_t;

    virtual ~TimeSource() = default;

    // Microseconds since 1 January 1601 (UTC).
    virtual uint64_t NowUs() = 0;

    // Runs `fn` once at `atUs` (or soon after). The real source runs it on its own timer
    // thread; the virtual source runs it while time is advanced past `atUs`.
    virtual EventId ScheduleAt(uint64_t atUs, Callback fn) = 0;
    virtual void Cancel(EventId id) = 0;

    // Waits until `ready()` is true or the deadline has passed; returns ready().
    // `ready` is evaluated with `w.mutex` held. The virtual source never blocks: it advances
    // time to the next due event or to the deadline.
    virtual bool WaitUntil(Waiter& w, uint64_t deadlineUs, const std::function<bool()>& ready) = 0;

    // Sleeps until the deadline (the virtual source advances to it).
    virtual void SleepUntil(uint64_t deadlineUs) = 0;

    virtual bool IsVirtual() const { return false; }
};

// The source in use. Starts as the real system clock.
TimeSource& CurrentTimeSource();
// Installs a source (nullptr restores the real one). The caller keeps ownership and must
// restore before destroying it.
void SetTimeSource(TimeSource* source);

// Convenience: now + milliseconds.
uint64_t DeadlineAfterMs(int64_t ms);
