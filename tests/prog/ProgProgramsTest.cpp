// The programs as a user runs them: quarzel-run programs the controller of the example
// (in-process simulator), and a controller served by quarzel-sim over its socket.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <fstream>
#include <sstream>

#include "TempDir.h"

#if defined(QUARZEL_RUN_PROGRAM) && defined(QUARZEL_SIM_PROGRAM)
namespace {
std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

TEST(ProgPrograms, QuarzelRunProgramsTheExampleController) {
    QProcess run;
    run.start(QUARZEL_RUN_PROGRAM,
              {"--ini", QUARZEL_EXAMPLES "/quarzel-bootloader.ini", QUARZEL_EXAMPLES "/firmware-update.tst"});
    ASSERT_TRUE(run.waitForFinished(120000));
    const std::string err = run.readAllStandardError().toStdString();
    EXPECT_EQ(run.exitCode(), 0) << err;
    EXPECT_NE(err.find("programming: Blank Check"), std::string::npos) << err;
    EXPECT_NE(err.find(" %\n"), std::string::npos) << err;  // progress lines
    EXPECT_NE(err.find("programming: Programming OK\n"), std::string::npos) << err;
    EXPECT_TRUE(run.readAllStandardOutput().contains("Verdict: passed, 0 errors"));
}

TEST(ProgPrograms, QuarzelRunProgramsAControllerServedByQuarzelSim) {
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

    std::string ini = ReadText(QUARZEL_EXAMPLES "/quarzel.ini");
    const std::string key = "[CAN_TREIBER_TYP]\r\nsim\r\n";
    ASSERT_NE(ini.find(key), std::string::npos);
    ini.replace(ini.find(key), key.size(), "[CAN_TREIBER_TYP]\r\nsimbus:" + socket + "\r\n");
    std::ofstream(dir.File("quarzel.ini"), std::ios::binary) << ini;
    std::string test = ReadText(QUARZEL_EXAMPLES "/firmware-update.tst");
    test.replace(test.find("CRIS:0"), 6, "CRIS:2");
    std::ofstream(dir.File("update.tst"), std::ios::binary) << test;
    QFile::copy(QUARZEL_EXAMPLES "/firmware.hex", QString::fromStdString(dir.File("firmware.hex")));

    QProcess run;
    run.start(QUARZEL_RUN_PROGRAM, {"--ini", QString::fromStdString(dir.File("quarzel.ini")),
                                    QString::fromStdString(dir.File("update.tst"))});
    ASSERT_TRUE(run.waitForFinished(120000));
    const std::string err = run.readAllStandardError().toStdString();
    EXPECT_EQ(run.exitCode(), 0) << err;
    // CRIS 2: no blank check before programming; the corrupted first read-back makes the client
    // erase, blank-check and program again.
    EXPECT_LT(err.find("programming: Programming\n"), err.find("programming: Blank Check\n")) << err;
    for (const char* text : {"Verification error\n", "Erasing component\n", "Programming, retry: 1\n",
                             "Verification OK\n"})
        EXPECT_NE(err.find(std::string("programming: ") + text), std::string::npos) << text << err;
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(10000));
}
#endif
