#include <gtest/gtest.h>

#include "Ports.h"
#include "VirtualTimeSource.h"

TEST(TimeSourceTimer, TicksAtTheIntervalNeverEarly) {
    ScopedVirtualTime vt;
    auto timer = CreateTimer();
    std::vector<uint64_t> ticks;
    const uint64_t t0 = vt->NowUs();
    timer->SetHandler([&] { ticks.push_back(vt->NowUs() - t0); });
    timer->Start(5);
    vt->AdvanceByUs(4999);
    EXPECT_TRUE(ticks.empty());
    vt->AdvanceByMs(11);
    EXPECT_EQ(ticks, (std::vector<uint64_t>{5000, 10000, 15000}));
    // A new interval takes effect from the restart.
    timer->Start(20);
    vt->AdvanceByMs(19);
    EXPECT_EQ(ticks.size(), 3u);
    vt->AdvanceByMs(1);
    EXPECT_EQ(ticks.size(), 4u);
}

TEST(TimeSourceTimer, StopFromInsideTheHandlerEndsTicks) {
    ScopedVirtualTime vt;
    auto timer = CreateTimer();
    int n = 0;
    timer->SetHandler([&] {
        if (++n == 2) timer->Stop();
    });
    timer->Start(1);
    vt->AdvanceByMs(10);
    EXPECT_EQ(n, 2);
    EXPECT_FALSE(timer->IsActive());
}
