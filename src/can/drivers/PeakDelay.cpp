#include "PeakDelay.h"

#include "TimeSource.h"

void PeakDelay(int ms) {
    if (ms <= 0) return;
    CurrentTimeSource().SleepUntil(DeadlineAfterMs(ms));
}
