// The Qt SerialBus adapter against a fake QCanBusDevice: opening at "Baudr", writing, draining,
// time stamps, waits, error frames, a device that does not connect or disappears while open.

#include <gtest/gtest.h>

#include <QCanBusDevice>
#include <QCoreApplication>
#include <QVariant>
#include <atomic>
#include <mutex>
#include <thread>

#include "CanChannel.h"
#include "CanInterfaceKinds.h"
#include "CanSettings.h"
#include "QtCanBusInterface.h"
#include "ScriptedOperator.h"
#include "StandardCanInterfaceKinds.h"

namespace {

class FakeCanBusDevice final : public QCanBusDevice {
public:
    bool failOpen = false;
    bool failWrite = false;
    std::vector<QCanBusFrame> written;

    bool writeFrame(const QCanBusFrame& frame) override {
        if (state() != ConnectedState || failWrite) {
            setError("write refused", WriteError);
            return false;
        }
        written.push_back(frame);
        return true;
    }
    QString interpretErrorFrame(const QCanBusFrame&) override { return {}; }
    void Receive(const QList<QCanBusFrame>& frames) { enqueueReceivedFrames(frames); }
    void Unplug() {
        setError("device removed", ConnectionError);
        setState(UnconnectedState);
    }

protected:
    bool open() override {
        if (failOpen) {
            setError("no such device", ConnectionError);
            return false;
        }
        setState(ConnectedState);
        return true;
    }
    void close() override { setState(UnconnectedState); }
};

// Makes the fake devices on the adapter's device thread and lets the test reach them there.
struct FakeDevices {
    std::mutex mutex;
    std::vector<FakeCanBusDevice*> made;  // the adapter deletes them; only the last is alive
    bool nextFailsToOpen = false;
    std::string lastName;

    QtCanBusInterface::DeviceFactory Factory() {
        return [this](const QString&, const QString& name, QString*) -> QCanBusDevice* {
            std::lock_guard lock(mutex);
            auto* dev = new FakeCanBusDevice;
            dev->failOpen = nextFailsToOpen;
            lastName = name.toStdString();
            made.push_back(dev);
            return dev;
        };
    }
    size_t Count() {
        std::lock_guard lock(mutex);
        return made.size();
    }
    // Runs `fn` with the newest device on its own thread and waits for it.
    void With(const std::function<void(FakeCanBusDevice&)>& fn) {
        FakeCanBusDevice* dev = nullptr;
        {
            std::lock_guard lock(mutex);
            ASSERT_FALSE(made.empty());
            dev = made.back();
        }
        QMetaObject::invokeMethod(dev, [dev, &fn] { fn(*dev); }, Qt::BlockingQueuedConnection);
    }
};

QCanBusFrame DataFrame(uint32_t id, const QByteArray& payload, qint64 sec = 0, qint64 usec = 0) {
    QCanBusFrame f(id, payload);
    f.setTimeStamp(QCanBusFrame::TimeStamp(sec, usec));
    return f;
}

QCanBusFrame ErrorFrame(QCanBusFrame::FrameErrors errors, uint8_t controller = 0) {
    QCanBusFrame f(QCanBusFrame::ErrorFrame);
    f.setError(errors);
    f.setPayload(QByteArray("\0", 1) + QByteArray(1, static_cast<char>(controller)) + QByteArray(6, '\0'));
    return f;
}

class QtCanBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultCanSettings().SetVariable("Baudr", 4);
        DefaultCanSettings().SetVariable("CANInitDelay", 0);
        iface = std::make_shared<QtCanBusInterface>("fake", "can0", devices.Factory());
        CanSetInterface(iface);
    }
    void TearDown() override {
        CanSetInterface(nullptr);
        iface.reset();
        CanActive = false;
    }

    ScriptedOperator op;
    RecordingChannelStatus status;
    FakeDevices devices;
    std::shared_ptr<QtCanBusInterface> iface;
};

TEST_F(QtCanBusTest, OpensTheDeviceAtTheRateOfBaudr) {
    ASSERT_TRUE(CanOpen());
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(devices.lastName, "can0");
    QVariant rate;
    devices.With([&](FakeCanBusDevice& d) { rate = d.configurationParameter(QCanBusDevice::BitRateKey); });
    EXPECT_EQ(rate.toInt(), 125000);
    EXPECT_EQ(status.lastText, "Channel active");
    EXPECT_EQ(status.lastBitRate, 125);

    // Same rate again: no new device.
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(devices.Count(), 1u);
    DefaultCanSettings().SetVariable("Baudr", 2);
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(devices.Count(), 2u);
    devices.With([&](FakeCanBusDevice& d) { rate = d.configurationParameter(QCanBusDevice::BitRateKey); });
    EXPECT_EQ(rate.toInt(), 500000);
}

TEST_F(QtCanBusTest, BadRateIsReported) {
    DefaultCanSettings().SetVariable("Baudr", 9);
    EXPECT_FALSE(CanOpen());
    EXPECT_EQ(op.Messages(), std::vector<std::string>{"CAN Initialization: fake:can0: Baud rate not found"});
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(devices.Count(), 0u);
}

TEST_F(QtCanBusTest, WritesDataAndRemoteFrames) {
    ASSERT_TRUE(CanOpen());
    tagOPEN_Message msg;
    msg.id = 0x601;
    msg.dlc = 3;
    msg.data = {0x40, 0x00, 0x10, 0xEE};
    ASSERT_TRUE(CanWrite(&msg));
    EXPECT_EQ(msg.direction, CAN_DIR_TX);
    tagOPEN_Message rtr;
    rtr.id = 0x181;
    rtr.rtr = true;
    rtr.dlc = 4;
    ASSERT_TRUE(CanWrite(&rtr));
    std::vector<QCanBusFrame> written;
    devices.With([&](FakeCanBusDevice& d) { written = d.written; });
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].frameId(), 0x601u);
    EXPECT_EQ(written[0].payload(), QByteArray::fromHex("400010"));
    EXPECT_EQ(written[1].frameType(), QCanBusFrame::RemoteRequestFrame);
    EXPECT_EQ(written[1].payload().size(), 4);

    devices.With([](FakeCanBusDevice& d) { d.failWrite = true; });
    EXPECT_FALSE(CanWrite(&msg));
    EXPECT_TRUE(CanActive);
}

TEST_F(QtCanBusTest, ReadDrainsWithTimeStampsAndRemoteFrames) {
    ASSERT_TRUE(CanOpen());
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);
    QCanBusFrame remote(QCanBusFrame::RemoteRequestFrame);
    remote.setFrameId(0x701);
    remote.setPayload(QByteArray(2, '\0'));
    devices.With([&](FakeCanBusDevice& d) {
        d.Receive({DataFrame(0x181, QByteArray::fromHex("0102"), 2, 500), DataFrame(0x281, QByteArray::fromHex("03")),
                   DataFrame(0x381, QByteArray::fromHex("040506"), 7, 1)});
    });
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_SEVERAL);
    EXPECT_EQ(msg.rxCount, 3u);
    EXPECT_EQ(msg.id, 0x381u);
    EXPECT_EQ(msg.dlc, 3u);
    EXPECT_EQ(msg.data, (std::array<uint8_t, 8>{4, 5, 6, 0, 0, 0, 0, 0}));
    EXPECT_EQ(msg.timestamp, 7000001u);
    EXPECT_NE(msg.hostTime.TotalMicroseconds(), 0u);

    devices.With([&](FakeCanBusDevice& d) { d.Receive({remote}); });
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_ONE);
    EXPECT_TRUE(msg.rtr);
    EXPECT_EQ(msg.dlc, 0u);
}

TEST_F(QtCanBusTest, WaitForIdWakesWhenAFrameArrivesFromAnotherThread) {
    ASSERT_TRUE(CanOpen());
    std::atomic<uint32_t> result{0xFFFF};
    tagOPEN_Message msg;
    std::thread waiter([&] { result = CanWaitForId(20000, 0x581, &msg); });
    devices.With([](FakeCanBusDevice& d) {
        d.Receive({DataFrame(0x181, QByteArray::fromHex("01")), DataFrame(0x581, QByteArray::fromHex("4300"))});
    });
    waiter.join();
    EXPECT_EQ(result.load(), CAN_RESULT_ONE);
    EXPECT_EQ(msg.id, 0x581u);
    EXPECT_EQ(msg.data[0], 0x43);
}

TEST_F(QtCanBusTest, ReadDataTakesTheWantedFrame) {
    ASSERT_TRUE(CanOpen());
    devices.With([](FakeCanBusDevice& d) {
        d.Receive({DataFrame(0x181, QByteArray::fromHex("0101")), DataFrame(0x281, QByteArray::fromHex("070809"))});
    });
    std::array<uint8_t, 8> data{};
    ASSERT_TRUE(CanReadData(0x281, data.data()));
    EXPECT_EQ(data[2], 9);
    EXPECT_FALSE(CanReadData(0x281, data.data()));
}

TEST_F(QtCanBusTest, ErrorFramesBecomeStatusWordsAndBusOffReopens) {
    ASSERT_TRUE(CanOpen());
    EXPECT_EQ(CanGetStatus(), 0u);
    devices.With([](FakeCanBusDevice& d) { d.Receive({ErrorFrame(QCanBusFrame::ControllerError, 0x08)}); });
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);
    EXPECT_EQ(CanGetStatus(), PCAN_ERROR_BUSLIGHT);
    EXPECT_EQ(status.lastText, "ErrorCounter at limit");
    devices.With([](FakeCanBusDevice& d) { d.Receive({ErrorFrame(QCanBusFrame::ControllerError, 0x20)}); });
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);
    EXPECT_EQ(CanGetStatus(), PCAN_ERROR_BUSHEAVY);

    devices.With([](FakeCanBusDevice& d) { d.Receive({ErrorFrame(QCanBusFrame::BusOffError)}); });
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NONE);
    EXPECT_EQ(devices.Count(), 2u);  // re-opened
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(CanGetStatus(), 0u);
}

TEST_F(QtCanBusTest, DeviceThatFailsToConnectIsReportedAndRetried) {
    devices.nextFailsToOpen = true;
    EXPECT_FALSE(CanOpen());
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(op.Messages(), std::vector<std::string>{
                                 "Initialization error: The CAN interface fake:can0 could not be opened: no such device."});
    EXPECT_FALSE(CanOpen());
    EXPECT_EQ(op.Messages().size(), 1u);  // the same failure is not shown again
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NO_CHANNEL);

    devices.nextFailsToOpen = false;
    EXPECT_TRUE(CanOpen());
    EXPECT_TRUE(CanActive);
}

TEST_F(QtCanBusTest, DeviceThatDisappearsIsClosedAndOpenedAgainByTheNextWrite) {
    ASSERT_TRUE(CanOpen());
    devices.With([](FakeCanBusDevice& d) { d.Unplug(); });
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_NO_CHANNEL);
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(status.lastText, "Channel lost");

    msg.id = 0x601;
    EXPECT_FALSE(CanWrite(&msg));  // re-opens
    EXPECT_TRUE(CanActive);
    EXPECT_EQ(devices.Count(), 2u);
    EXPECT_TRUE(CanWrite(&msg));
}

TEST_F(QtCanBusTest, ReceiveQueueIsBoundedAndReportsTheOverrun) {
    ASSERT_TRUE(CanOpen());
    QList<QCanBusFrame> many;
    for (size_t i = 0; i < QtCanBusInterface::kQueueCapacity + 100; ++i)
        many.push_back(DataFrame(0x181, QByteArray(1, static_cast<char>(i))));
    devices.With([&](FakeCanBusDevice& d) { d.Receive(many); });
    tagOPEN_Message msg;
    EXPECT_EQ(CanRead(&msg), CAN_RESULT_SEVERAL);
    EXPECT_EQ(msg.rxCount, QtCanBusInterface::kQueueCapacity);
    EXPECT_EQ(CanGetStatus(), PCAN_ERROR_QOVERRUN);
}

TEST_F(QtCanBusTest, ProbeOfAnotherInterfaceLeavesCanActiveAlone) {
    ASSERT_TRUE(CanOpen());
    FakeDevices others;
    QtCanBusInterface other("fake", "can1", others.Factory());
    QtCanBusHandle h("fake", "can1", 2);
    ASSERT_TRUE(other.ActivateHandle(&h));  // not the current interface
    EXPECT_TRUE(other.IsOpen());
    other.Close();
    EXPECT_TRUE(CanActive);
}

TEST_F(QtCanBusTest, HandlesCompareByPluginAndDevice) {
    QtCanBusHandle a("socketcan", "can0", 1), b("socketcan", "can0", 3), c("socketcan", "can1", 1);
    EXPECT_TRUE(a.IsSameHandle(&b));
    EXPECT_FALSE(a.IsSameHandle(&c));
    EXPECT_TRUE(c.CopyTo(&a));
    EXPECT_EQ(a.Device(), "can1");
    c.SetHandle(-1);
    EXPECT_EQ(c.GetHandle(), 0u);
}

TEST_F(QtCanBusTest, TreiberTypFormsNameThePluginAndInterface) {
    RegisterStandardCanInterfaceKinds();
    std::string error;
    const CanInterfaceKind* kind = FindCanInterfaceKind("virtualcan:can1");
    ASSERT_TRUE(kind);
    auto created = std::dynamic_pointer_cast<QtCanBusInterface>(kind->create("virtualcan:can1", error));
    ASSERT_TRUE(created);
    EXPECT_EQ(created->ChannelName(), "virtualcan:can1");

    DefaultCanSettings().SetConfig("[CAN_TREIBER_CHANNEL]", "can7");
    created = std::dynamic_pointer_cast<QtCanBusInterface>(kind->create("socketcan", error));
    ASSERT_TRUE(created);
    EXPECT_EQ(created->ChannelName(), "socketcan:can7");
    DefaultCanSettings().SetConfig("[CAN_TREIBER_CHANNEL]", "81");
    created = std::dynamic_pointer_cast<QtCanBusInterface>(kind->create("socketcan", error));
    EXPECT_EQ(created->ChannelName(), "socketcan:");
    DefaultCanSettings().SetConfig("[CAN_TREIBER_CHANNEL]", "");
}

TEST_F(QtCanBusTest, InterfaceThatDoesNotExistIsReportedClearly) {
    // A real plugin with a device name that no system has.
    auto missing = std::make_shared<QtCanBusInterface>("socketcan", "nosuchcan9");
    CanSetInterface(missing);
    EXPECT_FALSE(CanOpen());
    EXPECT_FALSE(CanActive);
    ASSERT_EQ(op.Messages().size(), 1u);
    EXPECT_NE(op.Messages()[0].find("socketcan:nosuchcan9 could not be opened"), std::string::npos);
}

}  // namespace
