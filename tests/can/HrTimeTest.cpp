#include <gtest/gtest.h>

#include "HrTime.h"
#include "VirtualTimeSource.h"

TEST(HrTime, SplitsMicroseconds) {
    EXPECT_EQ(HrTimeFromMicroseconds(2500000), (HrTime{2, 500000}));
    EXPECT_EQ(HrTimeFromMicroseconds(999999), (HrTime{0, 999999}));
    // Seconds wrap modulo 2^32.
    EXPECT_EQ(HrTimeFromMicroseconds((1ull << 32) * 1000000ull + 7).seconds, 0u);
}

TEST(HrTime, DiffBorrowsFromSeconds) {
    EXPECT_EQ(HrTimeDiff(HrTime{5, 100}, HrTime{4, 999900}), (HrTime{0, 200}));
    EXPECT_EQ(HrTimeDiff(HrTime{10, 0}, HrTime{3, 500000}), (HrTime{6, 500000}));
}

TEST(HrTime, ComparesSecondsFirst) {
    EXPECT_TRUE(HrTimeGreater(HrTime{1, 0}, HrTime{0, 900000}));
    EXPECT_FALSE(HrTimeLess(HrTime{1, 0}, HrTime{0, 900000}));
    EXPECT_TRUE(HrTimeLess(HrTime{1, 5}, HrTime{1, 6}));
    EXPECT_FALSE(HrTimeGreater(HrTime{1, 5}, HrTime{1, 5}));
    EXPECT_FALSE(HrTimeLess(HrTime{1, 5}, HrTime{1, 5}));
}

TEST(HrTime, NowFollowsTheInstalledClock) {
    ScopedVirtualTime vt;
    const HrTime a = HrTimeNow();
    vt->AdvanceByUs(1234567);
    EXPECT_EQ(HrTimeDiff(HrTimeNow(), a), (HrTime{1, 234567}));
}

TEST(VirtualTime, RunsEventsInTimeOrderWhileAdvancing) {
    ScopedVirtualTime vt;
    std::vector<int> order;
    const uint64_t t0 = vt->NowUs();
    vt->ScheduleAt(t0 + 300, [&] { order.push_back(3); });
    vt->ScheduleAt(t0 + 100, [&] { order.push_back(1); });
    auto id = vt->ScheduleAt(t0 + 200, [&] { order.push_back(2); });
    vt->Cancel(id);
    vt->ScheduleAt(t0 + 100, [&] { order.push_back(11); });  // same time: insertion order
    vt->AdvanceByUs(250);
    EXPECT_EQ(order, (std::vector<int>{1, 11}));
    EXPECT_EQ(vt->NowUs(), t0 + 250);
    vt->AdvanceByUs(100);
    EXPECT_EQ(order, (std::vector<int>{1, 11, 3}));
}
