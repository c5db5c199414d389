#include "TimeSource.h"

#include <atomic>

#include "SystemTimeSource.h"

namespace {
SystemTimeSource& SystemSource() {
    static SystemTimeSource source;
    return source;
}
std::atomic<TimeSource*> g_source{nullptr};
}  // namespace

TimeSource& CurrentTimeSource() {
    TimeSource* s = g_source.load(std::memory_order_acquire);
    return s ? *s : SystemSource();
}

void SetTimeSource(TimeSource* source) { g_source.store(source, std::memory_order_release); }

uint64_t DeadlineAfterMs(int64_t ms) {
    if (ms < 0) ms = 0;
    return CurrentTimeSource().NowUs() + static_cast<uint64_t>(ms) * 1000u;
}
