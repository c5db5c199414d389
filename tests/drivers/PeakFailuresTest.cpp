// The PCAN adapter when things go wrong: missing or wrong library, unplugged adapter, a library
// that keeps reporting errors, messages from worker threads, probes beside the open channel.

#include <QCoreApplication>
#include <QFile>
#include <thread>

#include "NamedLockFile.h"
#include "PeakFixture.h"

namespace {

const std::string kNotAvailable = "PCAN BASIC driver DLL not found: PCAN DLL: required functions not available";

TEST_F(PeakFixture, LibraryMissingAFunctionIsReportedOnceAndNothingElseHappens) {
    PcanSimLibrary incomplete(PCANSIM_NORESET_LIBRARY);
    ASSERT_TRUE(incomplete.IsLoaded());
    incomplete.Reset();
    DefaultCanSettings().SetConfig("[CAN_TREIBER_TYP]", PCANSIM_NORESET_LIBRARY);
    Current();
    EXPECT_FALSE(CanOpen());
    EXPECT_EQ(op.Messages(), std::vector<std::string>{kNotAvailable});
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(incomplete.State(0x51).getStatusCalls, 0u);
    EXPECT_EQ(incomplete.State(0x51).initializeCalls, 0u);

    // Later uses fail quietly instead of calling through a missing function.
    tagOPEN_Message msg;
    EXPECT_FALSE(CanOpen());
    EXPECT_FALSE(CanWrite(&msg));
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NO_CHANNEL);
    EXPECT_EQ(CanReadOne(&msg), CAN_RESULT_NONE);
    EXPECT_EQ(CanGetStatus(), PCAN_ERROR_NODRIVER);
    EXPECT_EQ(op.Messages().size(), 1u);
    EXPECT_EQ(status.lastText, "0x200");
    EXPECT_EQ(incomplete.State(0x51).initializeCalls, 0u);
}

TEST_F(PeakFixture, MissingLibraryIsReportedAndFoundOnceItIsInstalled) {
    const std::string path = locks.File("libPCANBasicLater.so");
    DefaultCanSettings().SetConfig("[CAN_TREIBER_TYP]", path);
    Current();
    EXPECT_FALSE(CanOpen());
    EXPECT_EQ(op.Messages(), std::vector<std::string>{kNotAvailable});
    EXPECT_FALSE(CanActive);

    ASSERT_TRUE(QFile::copy(PCANSIM_LIBRARY, QString::fromStdString(path)));
    EXPECT_TRUE(CanOpen());
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(op.Messages().size(), 1u);
}

TEST_F(PeakFixture, FileThatIsNoLibraryIsReported) {
    const std::string path = locks.File("fake.so");
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a library\n");
    f.close();
    DefaultCanSettings().SetConfig("[CAN_TREIBER_TYP]", path);
    Current();
    EXPECT_FALSE(CanOpen());
    EXPECT_EQ(op.Messages(), std::vector<std::string>{kNotAvailable});
    EXPECT_FALSE(CanActive);
}

TEST_F(PeakFixture, InitializationErrorShowsTheLibraryText) {
    Current();
    ASSERT_TRUE(CanOpen());
    DefaultCanSettings().SetVariable("Baudr", 2);
    sim.SetFailure(PCANSIM_FAIL_INITIALIZE, PCAN_ERROR_RESOURCE, 1);
    EXPECT_FALSE(CanOpen());
    EXPECT_EQ(op.Messages(), std::vector<std::string>{"Initialization error: A driver resource could not be created"});
    EXPECT_FALSE(CanActive);
    EXPECT_TRUE(CanOpen());
}

TEST_F(PeakFixture, UnpluggedAdapterClosesTheChannelAndRecoversWhenPluggedIn) {
    Current();
    ASSERT_TRUE(CanOpen());
    tagOPEN_Message msg;
    msg.id = 0x601;
    msg.dlc = 1;
    sim.SetPresent(0x51, false);
    EXPECT_FALSE(CanWrite(&msg));
    EXPECT_FALSE(CanActive);

    // Each further write tries to re-open; the failure is shown once, not once per write.
    EXPECT_FALSE(CanWrite(&msg));
    EXPECT_FALSE(CanWrite(&msg));
    ASSERT_EQ(op.Messages().size(), 1u);
    EXPECT_EQ(op.Messages()[0],
              "Initialization error: The hardware handle is invalid or the hardware is not connected");
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NO_CHANNEL);

    sim.SetPresent(0x51, true);
    EXPECT_FALSE(CanWrite(&msg));  // re-opens
    EXPECT_TRUE(CanActive);
    EXPECT_TRUE(CanWrite(&msg));
    EXPECT_EQ(sim.State(0x51).framesWritten, 1u);
}

TEST_F(PeakFixture, UnplugSeenByReadClosesTheChannel) {
    Current();
    ASSERT_TRUE(CanOpen());
    sim.SetPresent(0x51, false);
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NO_CHANNEL);
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(sim.State(0x51).initialised, 0u);
}

TEST_F(PeakFixture, ReadGivesUpWhenTheLibraryKeepsReportingAnError) {
    Current();
    ASSERT_TRUE(CanOpen());
    sim.InjectFrame(0x51, Frame(0x181, {1}));
    tagOPEN_Message msg;
    ASSERT_EQ(CanReadOne(&msg), CAN_RESULT_ONE);
    const uint32_t before = sim.State(0x51).readCalls;
    sim.SetFailure(PCANSIM_FAIL_READ, PCANSIM_ERROR_ILLPARAMVAL);
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);
    const uint32_t afterRead = sim.State(0x51).readCalls;
    EXPECT_GT(afterRead - before, 1u);
    EXPECT_LE(afterRead - before, 64u);
    EXPECT_EQ(status.lastText, "0x8000");

    std::array<uint8_t, 8> data{};
    EXPECT_FALSE(CanReadData(0x181, data.data()));
    EXPECT_LE(sim.State(0x51).readCalls - afterRead, 64u);

    // A transient error is read past.
    sim.SetFailure(PCANSIM_FAIL_READ, PCANSIM_ERROR_ILLPARAMVAL, 2);
    sim.InjectFrame(0x51, Frame(0x182, {2}));
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_ONE);
    EXPECT_EQ(msg.id, 0x182u);
}

TEST_F(PeakFixture, NoDriverDuringReadEndsTheRead) {
    Current();
    ASSERT_TRUE(CanOpen());
    sim.SetFailure(PCANSIM_FAIL_NODRIVER, 1);
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);
    std::array<uint8_t, 8> data{};
    EXPECT_FALSE(CanReadData(0xFFFF, data.data()));
}

TEST_F(PeakFixture, MessagesFromAWorkerThreadReachTheApplicationThread) {
    Current();
    DefaultCanSettings().SetVariable("Baudr", 9);
    std::thread worker([] {
        tagOPEN_Message msg;
        msg.id = 0x7E5;
        CanWrite(&msg);  // closed: re-opens, and the rate is wrong
    });
    worker.join();
    EXPECT_TRUE(op.calls.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(op.Messages(),
              std::vector<std::string>{std::string("CAN Initialization: ") + PCANSIM_LIBRARY + ": Baud rate not found"});
    EXPECT_EQ(status.lastText, "Baud rate not found");
}

TEST_F(PeakFixture, ProbesNeverChangeCanActiveOfTheChannelInUse) {
    Current();
    ASSERT_TRUE(CanOpen());
    auto lister = std::make_shared<PeakCanInterface>(PCANSIM_LIBRARY);
    ASSERT_TRUE(lister->RefreshChannelList());
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(sim.State(0x51).initialised, 1u);  // the open channel stays open
    EXPECT_EQ(sim.State(0x52).initialised, 0u);  // the probed one is closed again

    CanClose();
    ASSERT_FALSE(CanActive);
    ASSERT_TRUE(lister->RefreshChannelList());
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(sim.State(0x51).initialised, 0u);
}

bool LockIsFree(uint32_t handle) {
    NamedLockFile lock(PeakHandleGuardPath(handle));
    return lock.TryLock();
}

TEST_F(PeakFixture, EveryWayOutOfAProbeReleasesTheGuard) {
    PeakCanInterface iface(PCANSIM_LIBRARY);
    CanChannelInfo info;
    EXPECT_TRUE(iface.GetInfo(0x51, &info));
    EXPECT_TRUE(LockIsFree(0x51));
    EXPECT_FALSE(iface.GetInfo(0x33, &info));  // no such channel
    EXPECT_TRUE(LockIsFree(0x33));
    sim.SetFailure(PCANSIM_FAIL_GETVALUE, PCAN_ERROR_ILLHW, 1);
    EXPECT_FALSE(iface.GetInfo(0x52, &info));
    EXPECT_TRUE(LockIsFree(0x52));
    EXPECT_EQ(sim.State(0x52).initialised, 0u);
    sim.SetFailure(PCANSIM_FAIL_NODRIVER, 1, 1);
    EXPECT_FALSE(iface.GetInfo(0x52, &info));
    EXPECT_TRUE(LockIsFree(0x52));
    EXPECT_FALSE(iface.GetInfo(0x52, nullptr));
}

TEST_F(PeakFixture, ProbeWaitsForTheGuardAtMost3200Ms) {
    NamedLockFile held(PeakHandleGuardPath(0x51));
    ASSERT_TRUE(held.TryLock());
    PeakCanInterface iface(PCANSIM_LIBRARY);
    CanChannelInfo info;
    const uint64_t start = vt->NowUs();
    EXPECT_FALSE(iface.GetInfo(0x51, &info));
    const uint64_t waited = vt->NowUs() - start;
    EXPECT_GE(waited, 3200000u);
    EXPECT_LT(waited, 3300000u);
    EXPECT_EQ(sim.State(0x51).getStatusCalls, 0u);

    // The interface's own channel is probed without the guard.
    iface.HandleObject()->SetHandle(0x51);
    EXPECT_TRUE(iface.GetInfo(0x51, &info));
}

}  // namespace
