#include <gtest/gtest.h>

#include <QFile>
#include <thread>

#include "CanChannel.h"
#include "CanSettings.h"
#include "RawBusClient.h"
#include "ScriptedOperator.h"
#include "SimBusClient.h"
#include "SimBusServer.h"
#include "SimBytes.h"
#include "SimEncoder.h"
#include "TempDir.h"

// Real time throughout: the socket and the server's thread do not run in virtual time.
class SimBus : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.File("bus.sock");
        server = std::make_unique<SimBusServer>(bus, SimBusServer::Options{path});
        std::string error;
        ASSERT_TRUE(server->Start(error)) << error;
        thread = std::thread([this] { server->Run(); });
    }
    void TearDown() override {
        server->Stop();
        thread.join();
        server.reset();
    }

    TempDir dir;
    std::string path;
    std::shared_ptr<VirtualBus> bus = VirtualBus::Create();
    std::unique_ptr<SimBusServer> server;
    std::thread thread;
};

TEST_F(SimBus, TwoClientsExchangeFrames) {
    RawBusClient a(path), b(path);
    ASSERT_TRUE(a.Connected()) << a.Error();
    ASSERT_TRUE(b.Connected()) << b.Error();
    a.SendFrame(MakeFrame(0x123, {1, 2, 3}));
    EXPECT_EQ(b.ReceiveText(), "123 3  01 02 03");
    b.SendFrame(MakeRemoteFrame(0x456, 2));
    EXPECT_EQ(a.ReceiveText(), "456 R2");
}

TEST_F(SimBus, AClientHearsOnlyItsBitRateOnceItNamesOne) {
    RawBusClient a(path), b(path), any(path);
    // Each control message is followed by a frame, so its arrival shows the message was taken.
    a.SendBytes(SimBusBitRateMessage(500));
    a.SendFrame(MakeFrame(0x101, {}));
    EXPECT_EQ(any.ReceiveText(), "101 0 ");
    EXPECT_EQ(b.ReceiveText(), "101 0 ");  // b still takes part at every rate
    b.SendBytes(SimBusBitRateMessage(250));
    b.SendFrame(MakeFrame(0x102, {}));
    EXPECT_EQ(any.ReceiveText(), "102 0 ");
    a.SendFrame(MakeFrame(0x181, {0xAA}));
    EXPECT_EQ(any.ReceiveText(), "181 1  AA");
    any.SendFrame(MakeFrame(0x080, {}));
    EXPECT_EQ(b.ReceiveText(), "080 0 ");  // the 500 kbit/s frame never reached b
    EXPECT_EQ(a.ReceiveText(), "080 0 ");  // nor the 250 kbit/s one a
}

TEST_F(SimBus, GarbageAndDisconnectsLeaveTheOthersServed) {
    RawBusClient a(path), b(path);
    {
        RawBusClient g(path);
        g.SendBytes("abc");                                   // short packet
        auto big = EncodeSimBusFrame(MakeFrame(0x100, {1}));
        big[4] = 9;                                           // length above 8
        g.SendBytes(std::string(big.begin(), big.end()));
        auto ext = EncodeSimBusFrame(MakeFrame(0x100, {1}));
        ext[3] |= 0x80;                                       // extended frame flag
        g.SendBytes(std::string(ext.begin(), ext.end()));
        g.SendBytes(std::string(300, 'x'));                   // oversized
        g.SendBytes("QZ BITRATE 333");                        // no such rate
        g.SendFrame(MakeFrame(0x7FF, {0x42}));                // then something sound
        EXPECT_EQ(a.ReceiveText(), "7FF 1  42");
        EXPECT_EQ(b.ReceiveText(), "7FF 1  42");
    }  // g disconnects
    EXPECT_EQ(server->RejectedPackets(), 5u);
    a.SendFrame(MakeFrame(0x001, {9}));
    EXPECT_EQ(b.ReceiveText(), "001 1  09");
    b.SendFrame(MakeFrame(0x002, {8}));
    EXPECT_EQ(a.ReceiveText(), "002 1  08");
}

TEST_F(SimBus, TheStationReachesAnEncoderThroughTheSimBusInterface) {
    ScriptedOperator op;
    RecordingChannelStatus status;
    SimEncoder encoder(bus, EncoderOptions{});
    std::string error;
    auto iface = CreateSimBusInterface(path, error);
    ASSERT_TRUE(iface) << error;
    EXPECT_EQ(iface->KindName(), "simbus");
    CanSetInterface(iface);
    DefaultCanSettings().SetVariable("Baudr", 2);
    ASSERT_TRUE(CanOpen());
    tagOPEN_Message m;
    m.id = 0x601;
    m.dlc = 8;
    m.data = {0x40, 0x18, 0x10, 0x04, 0, 0, 0, 0};
    ASSERT_TRUE(CanWrite(&m));
    tagOPEN_Message answer;
    ASSERT_EQ(CanWaitForId(5000, 0x581, &answer), CAN_RESULT_ONE);
    EXPECT_EQ(GetLe32(answer.data, 4), 0x12345678u);
    CanClose();
    CanSetInterface(nullptr);
}

TEST_F(SimBus, OpeningWithoutAServerSaysSo) {
    ScriptedOperator op;
    RecordingChannelStatus status;
    std::string error;
    auto iface = CreateSimBusInterface(dir.File("nobody.sock"), error);
    ASSERT_TRUE(iface);
    CanSetInterface(iface);
    DefaultCanSettings().SetVariable("Baudr", 2);
    EXPECT_FALSE(CanOpen());
    ASSERT_FALSE(op.Messages().empty());
    EXPECT_NE(op.Messages().back().find("quarzel-sim is not reachable"), std::string::npos);
    tagOPEN_Message m;
    m.id = 0x601;
    EXPECT_FALSE(CanWrite(&m));
    CanSetInterface(nullptr);
}

TEST(SimBusSocket, StaleSocketsAreReplacedLiveOnesAndFilesAreNot) {
    TempDir dir;
    auto bus = VirtualBus::Create();
    const std::string path = dir.File("s.sock");
    std::string error;
    {
        SimBusServer first(bus, {path});
        ASSERT_TRUE(first.Start(error)) << error;
        SimBusServer second(bus, {path});
        EXPECT_FALSE(second.Start(error));
        EXPECT_NE(error.find("another server"), std::string::npos);
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));  // removed by the first

    // A socket whose server died without removing it is taken over.
    const int dead = ListenSeqPacket(path, error);
    ASSERT_GE(dead, 0) << error;
    close(dead);
    ASSERT_TRUE(QFile::exists(QString::fromStdString(path)));
    {
        SimBusServer third(bus, {path});
        EXPECT_TRUE(third.Start(error)) << error;
    }

    const std::string file = dir.File("plain.txt");
    {
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    SimBusServer onFile(bus, {file});
    EXPECT_FALSE(onFile.Start(error));
    EXPECT_NE(error.find("not a socket"), std::string::npos);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));

    SimBusServer longPath(bus, {std::string(200, 'x')});
    EXPECT_FALSE(longPath.Start(error));
}
