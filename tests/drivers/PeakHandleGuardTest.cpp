// Two station processes probing the same PCAN handle take turns: a second process (the helper)
// holds the handle's guard while this one probes.

#include <QProcess>

#include "PeakFixture.h"

namespace {

class HandleGuardProcessTest : public PeakFixture {
protected:
    void StartHolder(uint32_t handle) {
        helper.start(HANDLE_GUARD_HELPER, {QString::fromStdString(locks.Path()), QString::number(handle)});
        ASSERT_TRUE(helper.waitForStarted(10000));
        ASSERT_EQ(NextLine(), "locked");
    }
    // The helper's next output line; empty when it ends without one.
    std::string NextLine() {
        while (!helper.canReadLine()) {
            if (!helper.waitForReadyRead(10000)) return {};
        }
        return helper.readLine().trimmed().toStdString();
    }
    void TearDown() override {
        if (helper.state() != QProcess::NotRunning) {
            helper.kill();
            helper.waitForFinished(10000);
        }
        PeakFixture::TearDown();
    }

    QProcess helper;
    PeakCanInterface iface{PCANSIM_LIBRARY};
    CanChannelInfo info;
};

TEST_F(HandleGuardProcessTest, ProbeTimesOutWhileAnotherProcessHoldsTheHandle) {
    StartHolder(0x51);
    const uint64_t start = vt->NowUs();
    EXPECT_FALSE(iface.GetInfo(0x51, &info));
    EXPECT_GE(vt->NowUs() - start, 3200000u);
    EXPECT_EQ(sim.State(0x51).getStatusCalls, 0u);
    // Other handles are not held up.
    EXPECT_TRUE(iface.GetInfo(0x52, &info));
}

TEST_F(HandleGuardProcessTest, ProbeGoesOnOnceTheOtherProcessReleases) {
    StartHolder(0x51);
    const uint64_t start = vt->NowUs();
    // 100 ms into the wait the other process finishes its probe.
    vt->ScheduleAt(start + 100000, [this] {
        helper.write("release\n");
        helper.waitForBytesWritten(10000);
        EXPECT_EQ(NextLine(), "released");
    });
    EXPECT_TRUE(iface.GetInfo(0x51, &info));
    const uint64_t waited = vt->NowUs() - start;
    EXPECT_GE(waited, 100000u);
    EXPECT_LT(waited, 3200000u);
    EXPECT_EQ(info.deviceNumber, 1u);
}

TEST_F(HandleGuardProcessTest, GuardOfAProcessThatDiedIsFree) {
    StartHolder(0x52);
    helper.kill();
    ASSERT_TRUE(helper.waitForFinished(10000));
    const uint64_t start = vt->NowUs();
    EXPECT_TRUE(iface.GetInfo(0x52, &info));
    EXPECT_LT(vt->NowUs() - start, 3200000u);
}

TEST_F(HandleGuardProcessTest, OtherProcessCannotTakeTheGuardThisOneHolds) {
    PeakHandleGuard guard;
    ASSERT_TRUE(guard.Acquire(0x53, nullptr));
    EXPECT_TRUE(guard.HoldsLock());
    QProcess other;
    other.start(HANDLE_GUARD_HELPER, {QString::fromStdString(locks.Path()), QString::number(0x53), "0"});
    ASSERT_TRUE(other.waitForFinished(10000));
    EXPECT_EQ(other.readAllStandardOutput().trimmed().toStdString(), "timeout");

    EXPECT_TRUE(guard.Release());
    EXPECT_FALSE(guard.Release());
    StartHolder(0x53);
}

}  // namespace
