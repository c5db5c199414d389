#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "RawBusClient.h"
#include "SimBytes.h"
#include "TempDir.h"

namespace {
// Runs quarzel-sim until it says it serves; false when it does not get there.
bool StartServer(QProcess& p, const QStringList& args) {
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QUARZEL_SIM_EXE, args);
    if (!p.waitForStarted(10000)) return false;
    QByteArray seen;
    while (!seen.contains("serving")) {
        if (!p.waitForReadyRead(10000)) return false;
        seen += p.readAll();
    }
    return true;
}
}  // namespace

TEST(SimProgram, HelpExplainsTheUse) {
    QProcess p;
    p.start(QUARZEL_SIM_EXE, {"--help"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString out = p.readAllStandardOutput();
    for (const char* part : {"Usage: quarzel-sim", "--socket", "--no-device", "--verbose", "simbus:PATH", "--fault",
                             "node=N", "SIGTERM"})
        EXPECT_TRUE(out.contains(part)) << part;
}

TEST(SimProgram, BadOptionsEndWithACodeAndAHint) {
    QProcess p;
    p.start(QUARZEL_SIM_EXE, {"--node", "300"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(QString(p.readAllStandardError()).contains("--help"));
}

TEST(SimProgram, TwoProcessesExchangeFramesAndSigtermRemovesTheSocket) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.File("bus.sock"));
    QProcess server;
    ASSERT_TRUE(StartServer(server, {"--socket", path, "--no-device", "--verbose"}));
    RawBusClient a(path.toStdString());
    ASSERT_TRUE(a.Connected()) << a.Error();

    QProcess peer;
    peer.start(SIM_TEST_PEER_EXE, {path});
    ASSERT_TRUE(peer.waitForStarted(10000));
    EXPECT_EQ(a.ReceiveText(10000), "100 3  01 02 03");
    a.SendFrame(MakeFrame(0x200, {0x55}));
    ASSERT_TRUE(peer.waitForFinished(10000));
    EXPECT_EQ(peer.exitCode(), 0);
    EXPECT_EQ(QString(peer.readAllStandardOutput()).trimmed(), "200");

    server.terminate();  // SIGTERM
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(path));
    const QString log = server.readAll();
    EXPECT_TRUE(log.contains("(peer) @0  100 3  01 02 03")) << log.toStdString();
    EXPECT_TRUE(log.contains("@0  200 1  55")) << log.toStdString();
    EXPECT_TRUE(log.contains("stopped"));
}

TEST(SimProgram, TheDefaultEncoderAnswersOnTheSocket) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.File("bus.sock"));
    QProcess server;
    ASSERT_TRUE(StartServer(server, {"--socket", path, "--store", QString::fromStdString(dir.File("p.params")),
                                     "--node", "4"}));
    RawBusClient a(path.toStdString());
    a.SendBytes(SimBusBitRateMessage(500));
    a.SendFrame(MakeFrame(0x604, {0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0}));
    EXPECT_EQ(a.ReceiveText(10000), "584 8  43 18 10 04 78 56 34 12");
    server.terminate();
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitCode(), 0);
}
