#include <gtest/gtest.h>

#include <QFile>
#include <QLocalServer>

#include "ControlPipe.h"
#include "PipeClient.h"
#include "TempDir.h"

#if defined(Q_OS_UNIX)
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#endif

namespace {
class ControlPipeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pipe.Create()) << name; }
    void Poll(int times = 1) {
        for (int k = 0; k < times; ++k) pipe.Poll();
    }

    TempDir dir;
    std::string name = dir.File("ctl");
    ControlPipe pipe{name};
};
}  // namespace

TEST_F(ControlPipeTest, MessageInTwoWritesGetsExactlyOneAcknowledgement) {
    PipeClient client(name);
    ASSERT_TRUE(client.Connected());
    client.Write("STA");
    Poll();
    EXPECT_EQ(client.Received(), "");
    client.Write("RT\r");
    Poll();
    EXPECT_EQ(client.Received(), "OK\r");
    Poll(5);
    EXPECT_EQ(client.Received(), "OK\r");
}

TEST_F(ControlPipeTest, TwoMessagesInOneWriteGetOneAcknowledgement) {
    PipeClient client(name);
    client.Write("A\rB\r");
    Poll(5);
    EXPECT_EQ(client.Received(), "OK\r");
}

TEST_F(ControlPipeTest, OverlongTextGetsNoAnswerAndTheNextMessageIsAcknowledged) {
    PipeClient client(name);
    client.Write(std::string(1100, 'x'));
    Poll(20);
    EXPECT_EQ(client.Received(), "");
    client.Write("NEXT\r");
    Poll();
    EXPECT_EQ(client.Received(), "OK\r");
}

TEST_F(ControlPipeTest, ReadsAtMost80BytesAndOneMessagePerPoll) {
    PipeClient client(name);
    client.Write(std::string(100, 'a') + "\r");
    Poll();
    EXPECT_EQ(client.Received(), "");
    EXPECT_EQ(pipe.PendingBytes(), 80u);
    Poll();
    EXPECT_EQ(client.Received(), "OK\r");
}

TEST_F(ControlPipeTest, ANewClientIsServedAfterThePreviousOneHasGone) {
    {
        PipeClient first(name);
        first.Write("ONE\r");
        Poll();
        EXPECT_EQ(first.Received(), "OK\r");
        first.Disconnect();
    }
    Poll();
    PipeClient second(name);
    ASSERT_TRUE(second.Connected());
    second.Write("TWO\r");
    Poll(2);
    EXPECT_EQ(second.Received(), "OK\r");
}

TEST_F(ControlPipeTest, ASecondClientWaitsUntilTheFirstHasGone) {
    PipeClient first(name);
    first.Write("A");
    Poll();
    PipeClient second(name);
    second.Write("B\r");
    Poll(3);
    EXPECT_EQ(second.Received(), "");
    first.Disconnect();
    Poll(3);
    EXPECT_EQ(second.Received(), "OK\r");
    EXPECT_EQ(first.Received(), "");
}

TEST_F(ControlPipeTest, APartialMessageOfAClientThatLeftIsForgotten) {
    {
        PipeClient first(name);
        first.Write("STA");
        Poll();
        EXPECT_EQ(pipe.PendingBytes(), 3u);
        first.Disconnect();
    }
    Poll();
    EXPECT_EQ(pipe.PendingBytes(), 0u);
    EXPECT_FALSE(pipe.HasClient());
}

TEST_F(ControlPipeTest, FloodOfBinaryBytesStaysBoundedAndTheStationKeepsAnswering) {
    PipeClient client(name);
    std::string flood(64 * 1024, '\0');
    for (size_t k = 0; k < flood.size(); ++k) flood[k] = static_cast<char>((k * 7) % 256 == 13 ? 0 : (k * 7) % 256);
    client.Write(flood);
    for (int k = 0; k < 2000; ++k) {
        pipe.Poll();
        ASSERT_LT(pipe.PendingBytes(), ControlMessages::kOverflowBytes);
    }
    EXPECT_EQ(client.Received(), "");
}

#if defined(Q_OS_UNIX)
TEST_F(ControlPipeTest, ALeftoverSocketIsReplaced) {
    TempDir other;
    const std::string path = other.File("stale");
    // A socket whose station ended without removing it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(QString::fromStdString(path)));

    ControlPipe second(path);
    EXPECT_TRUE(second.Create());
    PipeClient client(path);
    client.Write("X\r");
    second.Poll();
    second.Poll();
    EXPECT_EQ(client.Received(), "OK\r");
}
#endif

TEST_F(ControlPipeTest, AnOrdinaryFileIsNeverReplaced) {
    TempDir other;
    const std::string path = other.File("notes.txt");
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    ControlPipe second(path);
    EXPECT_FALSE(second.Create());
    second.Poll();
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep me"));
}

TEST_F(ControlPipeTest, ThePipeOfARunningStationIsLeftAlone) {
    ControlPipe second(name);
    EXPECT_FALSE(second.Create());
    second.Poll();
    PipeClient client(name);
    client.Write("STILL\r");
    Poll(2);
    EXPECT_EQ(client.Received(), "OK\r");
}

TEST(ControlPipeName, DefaultsToTheUsersRuntimeFolderOrTheConfiguredPath) {
    qputenv("QUARZEL_CONTROL_PIPE", "/tmp/elsewhere");
    EXPECT_EQ(DefaultControlPipeName(), "/tmp/elsewhere");
    qunsetenv("QUARZEL_CONTROL_PIPE");
    const std::string name = DefaultControlPipeName();
    EXPECT_NE(name.find("QuarzelControl"), std::string::npos);
}
