#include "HrTime.h"

#include "TimeSource.h"

HrTime HrTimeFromMicroseconds(uint64_t us) {
    HrTime t;
    t.seconds = static_cast<uint32_t>(us / 1000000u);
    t.microseconds = static_cast<uint32_t>(us % 1000000u);
    return t;
}

void HrTimeNow(HrTime& out) { out = HrTimeFromMicroseconds(CurrentTimeSource().NowUs()); }

HrTime HrTimeNow() {
    HrTime t;
    HrTimeNow(t);
    return t;
}

HrTime HrTimeDiff(const HrTime& a, const HrTime& b) {
    return HrTimeFromMicroseconds(a.TotalMicroseconds() - b.TotalMicroseconds());
}

bool HrTimeGreater(const HrTime& a, const HrTime& b) {
    if (a.seconds != b.seconds) return a.seconds > b.seconds;
    return a.microseconds > b.microseconds;
}

bool HrTimeLess(const HrTime& a, const HrTime& b) {
    if (a.seconds != b.seconds) return a.seconds < b.seconds;
    return a.microseconds < b.microseconds;
}

void HrTimeCopy(HrTime& dst, const HrTime& src) { dst = src; }
