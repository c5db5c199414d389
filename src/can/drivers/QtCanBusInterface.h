#pragma once
// A channel over a Qt SerialBus device (QCanBusDevice): the Linux SocketCAN interfaces and the
// other installed plugins (virtualcan, tinycan, passthrucan, peakcan; vendor plugins on Windows).
//
// The device lives on a thread of its own with an event loop, so it keeps receiving while the
// station's threads poll or wait: received frames go into a bounded queue that Read drains and
// CanReadWait blocks on. Writes and control calls are handed to the device thread and waited
// for. Bus errors arrive as error frames and become status words (4 bus light, 8 bus heavy,
// 0x10 bus off, 2 controller overrun, 0x40 queue overrun); a device that disappears while
// open is closed and opened again by the next write.

#include <QCanBusFrame>
#include <QString>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CanInterface.h"
#include "ChannelNotices.h"
#include "TimeSource.h"

class QCanBusDevice;
class QObject;
class QThread;

// The handle of a Qt SerialBus channel: plugin and device name; the number is the device's
// place (from 1) in the plugin's list, 0 while none is chosen.
class QtCanBusHandle final : public IHandleType {
public:
    QtCanBusHandle() = default;
    QtCanBusHandle(std::string plugin, std::string device, uint32_t number);
    bool IsSameHandle(const IHandleType* other) const override;
    bool CopyTo(IHandleType* other) const override;
    void SetHandle(int64_t h) override { handle_ = h < 1 ? 0 : static_cast<uint32_t>(h); }

    const std::string& Plugin() const { return plugin_; }
    const std::string& Device() const { return device_; }
    void SetDevice(std::string device) { device_ = std::move(device); }

private:
    std::string plugin_;
    std::string device_;
};

class QtCanBusInterface : public AbstractCanInterface {
public:
    // Creates the device (on the device thread); null with `error` set on failure. The default
    // asks QCanBus for the plugin's device.
    using DeviceFactory = std::function<QCanBusDevice*(const QString& plugin, const QString& device, QString* error)>;

    static constexpr size_t kQueueCapacity = 65536;
    static constexpr int kConnectTimeoutMs = 3000;

    // `device` may be empty: SearchCanDriverHandle then picks one of the plugin's devices.
    QtCanBusInterface(std::string plugin, std::string device, DeviceFactory factory = {});
    ~QtCanBusInterface() override;

    bool Close() override;
    bool Init() override;
    uint32_t GetStatus() override;
    uint32_t Read(tagOPEN_Message* msg) override;
    bool Write(tagOPEN_Message* msg) override;
    uint32_t GetApiVersion(std::string& text) override;
    uint32_t ReadOne(tagOPEN_Message* msg) override;
    uint32_t HandleStatusFrame(const DriverFrame* frame) override;
    bool RefreshChannelList() override;
    // Chooses the device: the handle's device name, else the handle's number as a place in the
    // plugin's list (0: the first). The device number is not used by Qt SerialBus devices.
    bool SearchCanDriverHandle(uint32_t deviceNumber, IHandleType* handle) override;
    // Takes the handle and opens its device at the current rate ("Baudr", else 20 kbit/s).
    bool ActivateHandle(IHandleType* handle) override;
    bool ReadData(int32_t id, uint8_t* data) override;
    void WaitReadable(uint64_t deadlineUs) override;
    std::string KindName() const override { return plugin_; }

    bool IsOpen() const { return open_; }
    uint32_t CurrentBitRate() const { return kbit_; }
    // "plugin:device" of the chosen device.
    std::string ChannelName() const;

    // The devices every installed plugin offers (or only `plugin`'s), one entry each, with an
    // unopened interface of their own as owner.
    static std::vector<CanChannelInfo> ListChannels(const std::string& plugin = {});
    static bool IsInstalledPlugin(const std::string& plugin);

private:
    enum class Taken { None, Data, Status };

    QtCanBusHandle* OwnHandle() const;
    bool Publishes() const;
    void ShowStatus(const std::string& text, StatusColor color) const;
    void SetOpen(bool open);
    bool StartThread();
    void RunOnDeviceThread(const std::function<void()>& fn);
    bool OpenDevice(int kbit, std::string& error);
    void CloseDevice();
    void OnFramesReceived();
    void OnDeviceError(int error);
    void OnStateChanged(int state);
    void ClearQueue();
    // The next received frame; notes a queue overflow in the status word.
    std::optional<QCanBusFrame> PopFrame();
    Taken TakeOne(tagOPEN_Message* msg);
    void Reopen();
    void ChannelLost();
    bool Lost() const { return lost_.load(); }

    std::string plugin_;
    std::string configuredDevice_;
    DeviceFactory factory_;
    std::unique_ptr<QThread> thread_;
    QObject* context_ = nullptr;   // lives on the device thread
    QCanBusDevice* device_ = nullptr;  // used only on the device thread

    Waiter rx_;  // guards queue_, overflowed_, connectState_
    std::deque<QCanBusFrame> queue_;
    bool overflowed_ = false;
    int connectState_ = 0;  // QCanBusDevice::CanBusDeviceState
    std::atomic<bool> lost_{false};
    std::atomic<bool> expectConnected_{false};

    uint32_t kbit_ = 0;
    uint32_t status_ = 0;
    bool open_ = false;
    FailureNotice failure_;
};
