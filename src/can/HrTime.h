#pragma once
// Microsecond time values: points in time and durations.

#include <cstdint>

struct HrTime {
    uint32_t seconds = 0;       // whole seconds, modulo 2^32
    uint32_t microseconds = 0;  // 0 .. 999999

    uint64_t TotalMicroseconds() const {
        return static_cast<uint64_t>(seconds) * 1000000u + microseconds;
    }
    friend bool operator==(const HrTime&, const HrTime&) = default;
};

HrTime HrTimeFromMicroseconds(uint64_t us);
// Current time of the process clock (see TimeSource.h); only differences are meaningful.
void HrTimeNow(HrTime& out);
HrTime HrTimeNow();
// a - b; callers subtract an earlier time from a later one.
HrTime HrTimeDiff(const HrTime& a, const HrTime& b);
bool HrTimeGreater(const HrTime& a, const HrTime& b);
bool HrTimeLess(const HrTime& a, const HrTime& b);
void HrTimeCopy(HrTime& dst, const HrTime& src);
