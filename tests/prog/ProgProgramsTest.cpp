// The programs as a user runs them: quarzel-run programs the controller of the example
// (in-process simulator); the client programs a controller served by quarzel-sim.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "AtmelBootloader.h"
#include "CanChannel.h"
#include "CanSettings.h"
#include "SimBusClient.h"
#include "TempDir.h"

#if defined(QUARZEL_RUN_PROGRAM) && defined(QUARZEL_SIM_PROGRAM)

TEST(ProgPrograms, QuarzelRunProgramsTheExampleController) {
    // A copy of the example, so the trace the run writes into its log folder stays out of the tree.
    TempDir dir;
    for (const char* name : {"quarzel-bootloader.ini", "firmware-update.tst", "firmware.hex"})
        ASSERT_TRUE(QFile::copy(QString(QUARZEL_EXAMPLES "/") + name, QString::fromStdString(dir.File(name))));
    QProcess run;
    run.setWorkingDirectory(QString::fromStdString(dir.File("")));
    run.start(QUARZEL_RUN_PROGRAM, {"--ini", QString::fromStdString(dir.File("quarzel-bootloader.ini")),
                                    QString::fromStdString(dir.File("firmware-update.tst"))});
    ASSERT_TRUE(run.waitForFinished(120000));
    const std::string err = run.readAllStandardError().toStdString();
    EXPECT_EQ(run.exitCode(), 0) << err;
    EXPECT_NE(err.find("programming: Blank Check"), std::string::npos) << err;
    EXPECT_NE(err.find(" %\n"), std::string::npos) << err;  // progress lines
    EXPECT_NE(err.find("programming: Programming OK\n"), std::string::npos) << err;
    EXPECT_TRUE(run.readAllStandardOutput().contains("Verdict: passed, 0 errors"));
    EXPECT_FALSE(QDir(QString::fromStdString(dir.File("log"))).entryList({"*.csv"}).isEmpty());  // the trace
}

// The controller bootloader of quarzel-sim, programmed over its socket by the client on its
// worker thread (real time).
TEST(ProgPrograms, ProgramsAControllerServedByQuarzelSim) {
    TempDir dir;
    const std::string socket = dir.File("bl.sock");
    QProcess sim;
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(QUARZEL_SIM_PROGRAM, {"--socket", QString::fromStdString(socket), "--no-device", "--device",
                                    "bootloader?cris=2&model=C8051F50X&badverify=1"});
    ASSERT_TRUE(sim.waitForStarted(10000));
    QByteArray seen;
    while (!seen.contains("serving")) {
        ASSERT_TRUE(sim.waitForReadyRead(10000)) << seen.toStdString();
        seen += sim.readAll();
    }
    EXPECT_TRUE(seen.contains("bootloader 1: C8051F50X, CRIS 2")) << seen.toStdString();

    std::string error;
    auto iface = CreateSimBusInterface(socket, error);
    ASSERT_TRUE(iface) << error;
    CanSetInterface(iface);
    DefaultCanSettings().SetVariable("Baudr", 2);
    DefaultCanSettings().SetConfig("[LOG_DIR]", dir.File("log"));
    ASSERT_TRUE(CanOpen());
    {
        AtmelBootloader boot;
        ASSERT_TRUE(boot.SetCris(2));
        HexImage image{0, std::vector<uint8_t>(0x500)};
        for (size_t i = 0; i < image.bytes.size(); ++i) image.bytes[i] = static_cast<uint8_t>(i * 13);
        boot.SetImage(image);
        ASSERT_TRUE(boot.StartProgram());
        boot.WaitIdle();
        const auto texts = boot.TextLog();
        EXPECT_EQ(boot.Status().text, "Verification OK");
        EXPECT_EQ(boot.Status().controller, "C8051F50X");
        // CRIS 2: no blank check before programming; the corrupted first read-back makes the client
        // erase, blank-check and program again.
        const std::vector<std::string> expected = {"Programming",       "Verify",      "Verification error",
                                                   "Erasing component", "Blank Check", "Programming, retry: 1",
                                                   "Verify",            "Verification OK"};
        ASSERT_GE(texts.size(), expected.size());
        EXPECT_EQ(std::vector<std::string>(texts.end() - 8, texts.end()), expected);
    }
    CanClose();
    CanSetInterface(nullptr);
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(10000));
}
#endif
