#include "QtCanBusInterface.h"

#include <QCanBus>
#include <QCanBusDevice>
#include <QCoreApplication>
#include <QVariant>
#include <QLoggingCategory>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <optional>

#include "CanChannel.h"
#include "CanSettings.h"
#include "CanStatusText.h"
#include "PcanBasicAbi.h"
#include "PeakDelay.h"

Q_DECLARE_LOGGING_CATEGORY(lcCan)

namespace {
constexpr int kMaxReadsPerCall = 65536;
constexpr int kDefaultKbit = 20;
constexpr int64_t kMaxInitDelayMs = 10000;

// Controller-state bits of a SocketCAN error frame (data byte 1).
constexpr uint8_t kCtrlOverflow = 0x01 | 0x02;
constexpr uint8_t kCtrlWarning = 0x04 | 0x08;
constexpr uint8_t kCtrlPassive = 0x10 | 0x20;

// The status word an error frame stands for, 0 when it reports nothing the station tracks.
uint32_t ErrorFrameStatusWord(const QCanBusFrame& frame) {
    const QCanBusFrame::FrameErrors errors = frame.error();
    if (errors & QCanBusFrame::BusOffError) return PCAN_ERROR_BUSOFF;
    if (errors & QCanBusFrame::ControllerError) {
        const QByteArray payload = frame.payload();
        const auto ctrl = payload.size() > 1 ? static_cast<uint8_t>(payload[1]) : uint8_t{0};
        if (ctrl & kCtrlPassive) return PCAN_ERROR_BUSHEAVY;
        if (ctrl & kCtrlWarning) return PCAN_ERROR_BUSLIGHT;
        if (ctrl & kCtrlOverflow) return PCAN_ERROR_OVERRUN;
    }
    return 0;
}

// A received data or remote frame as the channel's driver frame (at most 8 data bytes).
DriverFrame DataDriverFrame(const QCanBusFrame& frame) {
    DriverFrame d;
    d.id = frame.frameId();
    d.remote = frame.frameType() == QCanBusFrame::RemoteRequestFrame;
    d.msgType = d.remote ? DRIVER_MSGTYPE_RTR : DRIVER_MSGTYPE_STANDARD;
    const QByteArray payload = frame.payload();
    d.len = static_cast<uint8_t>(std::min<qsizetype>(payload.size(), 8));
    for (size_t i = 0; i < d.len; ++i) d.data[i] = static_cast<uint8_t>(payload[static_cast<qsizetype>(i)]);
    const QCanBusFrame::TimeStamp ts = frame.timeStamp();
    d.timeUs = static_cast<uint64_t>(ts.seconds()) * 1000000u + static_cast<uint64_t>(ts.microSeconds());
    return d;
}

bool IsDataFrame(const QCanBusFrame& frame) {
    return frame.frameType() == QCanBusFrame::DataFrame || frame.frameType() == QCanBusFrame::RemoteRequestFrame;
}
}  // namespace

QtCanBusHandle::QtCanBusHandle(std::string plugin, std::string device, uint32_t number)
    : plugin_(std::move(plugin)), device_(std::move(device)) {
    SetHandle(number);
}

bool QtCanBusHandle::IsSameHandle(const IHandleType* other) const {
    auto o = dynamic_cast<const QtCanBusHandle*>(other);
    return o && o->plugin_ == plugin_ && o->device_ == device_;
}

bool QtCanBusHandle::CopyTo(IHandleType* other) const {
    auto o = dynamic_cast<QtCanBusHandle*>(other);
    if (!o) return false;
    o->plugin_ = plugin_;
    o->device_ = device_;
    o->SetHandle(GetHandle());
    return true;
}

QtCanBusInterface::QtCanBusInterface(std::string plugin, std::string device, DeviceFactory factory)
    : plugin_(std::move(plugin)), configuredDevice_(std::move(device)), factory_(std::move(factory)) {
    handle_ = std::make_unique<QtCanBusHandle>(plugin_, configuredDevice_, configuredDevice_.empty() ? 0 : 1);
}

QtCanBusInterface::~QtCanBusInterface() {
    if (!thread_) return;
    if (thread_->isRunning()) {
        CloseDevice();
        thread_->quit();
        thread_->wait();
    }
    delete context_;
}

QtCanBusHandle* QtCanBusInterface::OwnHandle() const { return dynamic_cast<QtCanBusHandle*>(handle_.get()); }

std::string QtCanBusInterface::ChannelName() const {
    const QtCanBusHandle* own = OwnHandle();
    return plugin_ + ":" + (own ? own->Device() : configuredDevice_);
}

bool QtCanBusInterface::Publishes() const {
    auto current = CanCurrentInterface();
    return !current || current.get() == this;
}

void QtCanBusInterface::ShowStatus(const std::string& text, StatusColor color) const {
    if (Publishes()) NotifyCanStatus(text, color);
}

void QtCanBusInterface::SetOpen(bool open) {
    open_ = open;
    if (Publishes()) CanActive = open;
}

bool QtCanBusInterface::StartThread() {
    if (!QCoreApplication::instance()) return false;
    if (!thread_) {
        thread_ = std::make_unique<QThread>();
        thread_->setObjectName(QString::fromStdString("CAN " + plugin_));
        context_ = new QObject;
        context_->moveToThread(thread_.get());
        thread_->start();
    }
    return true;
}

void QtCanBusInterface::RunOnDeviceThread(const std::function<void()>& fn) {
    if (!thread_ || !thread_->isRunning()) return;
    if (QThread::currentThread() == thread_.get()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(context_, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

void QtCanBusInterface::OnFramesReceived() {
    if (!device_) return;
    const QList<QCanBusFrame> frames = device_->readAllFrames();
    {
        std::lock_guard lock(rx_.mutex);
        for (const QCanBusFrame& f : frames) {
            if (queue_.size() >= kQueueCapacity) {
                overflowed_ = true;
                continue;
            }
            queue_.push_back(f);
        }
    }
    rx_.cv.notify_all();
}

void QtCanBusInterface::OnDeviceError(int error) {
    qCDebug(lcCan, "%s: device error %d: %s", ChannelName().c_str(), error,
            device_ ? qPrintable(device_->errorString()) : "");
    if ((error == QCanBusDevice::ReadError || error == QCanBusDevice::ConnectionError) && expectConnected_.load()) {
        lost_ = true;
        rx_.cv.notify_all();
    }
}

void QtCanBusInterface::OnStateChanged(int state) {
    {
        std::lock_guard lock(rx_.mutex);
        connectState_ = state;
    }
    if (state == QCanBusDevice::ConnectedState) expectConnected_ = true;
    if (state == QCanBusDevice::UnconnectedState && expectConnected_.exchange(false)) lost_ = true;
    rx_.cv.notify_all();
}

bool QtCanBusInterface::OpenDevice(int kbit, std::string& error) {
    if (!StartThread()) {
        error = "The CAN interface " + ChannelName() + " needs the application's event loop.";
        return false;
    }
    const QtCanBusHandle* own = OwnHandle();
    if (!own || own->Device().empty()) {
        error = "No " + plugin_ + " CAN interface is chosen.";
        return false;
    }
    CloseDevice();
    {
        std::lock_guard lock(rx_.mutex);
        connectState_ = QCanBusDevice::UnconnectedState;
    }
    const QString plugin = QString::fromStdString(plugin_);
    const QString name = QString::fromStdString(own->Device());
    bool started = false;
    QString why;
    RunOnDeviceThread([&] {
        QCanBusDevice* dev =
            factory_ ? factory_(plugin, name, &why) : QCanBus::instance()->createDevice(plugin, name, &why);
        if (!dev) return;
        dev->setConfigurationParameter(QCanBusDevice::BitRateKey, QVariant(kbit * 1000));
        QObject::connect(dev, &QCanBusDevice::framesReceived, dev, [this] { OnFramesReceived(); });
        QObject::connect(dev, &QCanBusDevice::errorOccurred, dev,
                         [this](QCanBusDevice::CanBusError e) { OnDeviceError(e); });
        QObject::connect(dev, &QCanBusDevice::stateChanged, dev,
                         [this](QCanBusDevice::CanBusDeviceState s) { OnStateChanged(s); });
        device_ = dev;
        if (!dev->connectDevice()) {
            why = dev->errorString();
            delete dev;
            device_ = nullptr;
            return;
        }
        started = true;
    });
    int state = QCanBusDevice::UnconnectedState;
    if (started) {
        // Some plugins connect in the background (virtualcan over TCP): wait for the outcome.
        std::unique_lock lock(rx_.mutex);
        rx_.cv.wait_for(lock, std::chrono::milliseconds(kConnectTimeoutMs), [this] {
            return connectState_ == QCanBusDevice::ConnectedState || connectState_ == QCanBusDevice::UnconnectedState;
        });
        state = connectState_;
    }
    if (state != QCanBusDevice::ConnectedState) {
        if (started) {
            RunOnDeviceThread([this, &why] {
                if (device_ && why.isEmpty()) why = device_->errorString();
            });
        }
        CloseDevice();
        error = "The CAN interface " + ChannelName() + " could not be opened";
        if (!why.isEmpty()) error += ": " + why.toStdString();
        error += '.';
        return false;
    }
    lost_ = false;
    return true;
}

void QtCanBusInterface::CloseDevice() {
    RunOnDeviceThread([this] {
        if (!device_) return;
        expectConnected_ = false;
        device_->disconnectDevice();
        delete device_;
        device_ = nullptr;
    });
    ClearQueue();
    lost_ = false;
}

void QtCanBusInterface::ClearQueue() {
    std::lock_guard lock(rx_.mutex);
    queue_.clear();
    overflowed_ = false;
}

std::optional<QCanBusFrame> QtCanBusInterface::PopFrame() {
    std::lock_guard lock(rx_.mutex);
    if (overflowed_) {
        overflowed_ = false;
        status_ = PCAN_ERROR_QOVERRUN;
    }
    if (queue_.empty()) return std::nullopt;
    QCanBusFrame f = queue_.front();
    queue_.pop_front();
    return f;
}

QtCanBusInterface::Taken QtCanBusInterface::TakeOne(tagOPEN_Message* msg) {
    const std::optional<QCanBusFrame> frame = PopFrame();
    if (!frame) return Taken::None;
    if (IsDataFrame(*frame)) {
        MessageFromDriverFrame(*msg, DataDriverFrame(*frame));
        msg->hostTime = HrTimeNow();
        msg->rxCount++;
        LogFrame(*msg);
        return Taken::Data;
    }
    if (frame->frameType() == QCanBusFrame::ErrorFrame) {
        if (const uint32_t word = ErrorFrameStatusWord(*frame)) {
            const DriverFrame status = StatusFrameFor(word);
            HandleStatusFrame(&status);
        }
    }
    return Taken::Status;
}

void QtCanBusInterface::ChannelLost() {
    qCDebug(lcCan, "%s: device lost", ChannelName().c_str());
    Close();
    ShowStatus("Channel lost", StatusColor::Red);
}

void QtCanBusInterface::Reopen() {
    RunOnDeviceThread([this] {
        if (device_) device_->resetController();
    });
    Close();
    Init();
}

bool QtCanBusInterface::Init() {
    std::lock_guard lock(mutex_);
    if (!OwnHandle()) return false;
    const int rate = CanRequestedBitRate();
    if (open_ && !Lost() && rate == static_cast<int>(kbit_)) {
        ClearQueue();
        return true;
    }
    if (rate <= 0) {
        Close();
        failure_.Show("Baud rate not found", "CAN Initialization: " + ChannelName());
        return false;
    }
    Close();
    kbit_ = static_cast<uint32_t>(rate);
    std::string error;
    if (!OpenDevice(rate, error)) {
        failure_.Show(error, "Initialization error");
        return false;
    }
    if (auto delay = CurrentCanSettings().Variable("CANInitDelay"); delay && *delay > 0)
        PeakDelay(static_cast<int>(std::min(*delay, kMaxInitDelayMs)));
    status_ = 0;
    SetOpen(true);
    ClearQueue();
    failure_.Clear();
    if (Publishes()) {
        NotifyCanStatus("Channel active", StatusColor::Green);
        NotifyBitRate(rate);
    }
    return true;
}

bool QtCanBusInterface::Close() {
    std::lock_guard lock(mutex_);
    CloseDevice();
    SetOpen(false);
    ShowStatus("Channel closed", StatusColor::Default);
    return true;
}

uint32_t QtCanBusInterface::GetStatus() {
    std::lock_guard lock(mutex_);
    if (!OwnHandle()) return 0xFFFFFFFF;
    uint32_t status = status_;
    if (!open_) {
        status = PCAN_ERROR_INITIALIZE;
    } else if (Lost()) {
        status = PCAN_ERROR_ILLHW;
    } else {
        std::optional<QCanBusDevice::CanBusStatus> bus;
        RunOnDeviceThread([this, &bus] {
            if (device_ && device_->hasBusStatus()) bus = device_->busStatus();
        });
        if (bus) {
            switch (*bus) {
                case QCanBusDevice::CanBusStatus::Good: status = status_ = 0; break;
                case QCanBusDevice::CanBusStatus::Warning: status = PCAN_ERROR_BUSLIGHT; break;
                case QCanBusDevice::CanBusStatus::Error: status = PCAN_ERROR_BUSHEAVY; break;
                case QCanBusDevice::CanBusStatus::BusOff: status = PCAN_ERROR_BUSOFF; break;
                case QCanBusDevice::CanBusStatus::Unknown: break;
            }
        }
    }
    ShowStatus(CanStatusText(status), CanStatusColor(status));
    return status;
}

uint32_t QtCanBusInterface::Read(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    if (!msg) return CAN_RESULT_NONE;
    if (!OwnHandle()) return CAN_RESULT_NO_CHANNEL;
    msg->direction = CAN_DIR_RX;
    if (open_ && Lost()) {
        ChannelLost();
        return CAN_RESULT_NO_CHANNEL;
    }
    if (!open_) {
        Close();
        return CAN_RESULT_NO_CHANNEL;
    }
    msg->rxCount = 0;
    for (int n = 0; n < kMaxReadsPerCall && open_; ++n)
        if (TakeOne(msg) == Taken::None) break;
    if (msg->rxCount == 0) return CAN_RESULT_NONE;
    return msg->rxCount == 1 ? CAN_RESULT_ONE : CAN_RESULT_SEVERAL;
}

uint32_t QtCanBusInterface::ReadOne(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    if (!msg) return CAN_RESULT_NONE;
    if (!OwnHandle()) return CAN_RESULT_NO_CHANNEL;
    msg->direction = CAN_DIR_RX;
    msg->rxCount = 0;
    if (open_ && Lost()) {
        ChannelLost();
        return CAN_RESULT_NONE;
    }
    return TakeOne(msg) == Taken::Data ? CAN_RESULT_ONE : CAN_RESULT_NONE;
}

bool QtCanBusInterface::Write(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    if (!msg) return false;
    msg->direction = CAN_DIR_TX;
    if (!OwnHandle()) return false;
    if (!open_ || Lost()) {
        Close();
        Init();
        return false;
    }
    QCanBusFrame frame;
    frame.setFrameId(msg->id);
    if (msg->rtr) {
        // A remote request keeps its requested length on the wire.
        frame.setFrameType(QCanBusFrame::RemoteRequestFrame);
        frame.setPayload(QByteArray(static_cast<qsizetype>(std::min<uint32_t>(msg->dlc, 8)), '\0'));
    } else {
        const DriverFrame d = ToDriverFrameFromMessage(*msg);
        frame.setPayload(QByteArray(reinterpret_cast<const char*>(d.data.data()), d.len));
    }
    LogFrame(*msg);
    bool ok = false;
    QString why;
    RunOnDeviceThread([&] {
        if (!device_) return;
        ok = device_->writeFrame(frame);
        if (!ok) why = device_->errorString();
    });
    if (!ok) {
        qCDebug(lcCan, "%s: write failed: %s", ChannelName().c_str(), qPrintable(why));
        if (Lost())
            ChannelLost();
        else
            ShowStatus(CanStatusText(PCAN_ERROR_XMTFULL), StatusColor::Yellow);
    }
    return ok;
}

uint32_t QtCanBusInterface::GetApiVersion(std::string& text) {
    text = std::string("Qt SerialBus ") + qVersion() + ", plugin " + plugin_;
    return PCAN_ERROR_OK;
}

uint32_t QtCanBusInterface::HandleStatusFrame(const DriverFrame* frame) {
    std::lock_guard lock(mutex_);
    if (!frame) return 0;
    const uint32_t word = StatusWordOf(*frame);
    qCDebug(lcCan, " In: MSGTYPE_STATUS:%d", static_cast<int>(word));
    status_ = word;
    if (word == PCAN_ERROR_BUSOFF) Reopen();
    return word;
}

bool QtCanBusInterface::RefreshChannelList() {
    std::lock_guard lock(mutex_);
    channels_ = ListChannels(plugin_);
    for (auto& c : channels_) c.owner.reset();
    return !channels_.empty();
}

bool QtCanBusInterface::SearchCanDriverHandle(uint32_t, IHandleType* handle) {
    std::lock_guard lock(mutex_);
    auto* target = dynamic_cast<QtCanBusHandle*>(handle);
    if (!target || !IsInstalledPlugin(plugin_)) return false;
    std::string device = target->Device().empty() ? configuredDevice_ : target->Device();
    uint32_t number = target->GetHandle() ? target->GetHandle() : 1;
    if (device.empty()) {
        const QList<QCanBusDeviceInfo> devices = QCanBus::instance()->availableDevices(QString::fromStdString(plugin_));
        const size_t index = target->GetHandle() ? target->GetHandle() - 1 : 0;
        if (index >= static_cast<size_t>(devices.size())) return false;
        device = devices[static_cast<qsizetype>(index)].name().toStdString();
        number = static_cast<uint32_t>(index + 1);
    }
    QtCanBusHandle(plugin_, device, number).CopyTo(target);
    return true;
}

bool QtCanBusInterface::ActivateHandle(IHandleType* handle) {
    std::lock_guard lock(mutex_);
    auto* given = dynamic_cast<QtCanBusHandle*>(handle);
    if (!given || given->Plugin() != plugin_) return false;
    if (!handle_) handle_ = std::make_unique<QtCanBusHandle>();
    QtCanBusHandle* own = OwnHandle();
    if (!own) return false;
    if (open_ && !own->IsSameHandle(given)) Close();
    if (given != own) given->CopyTo(own);
    if (own->Device().empty()) return false;
    if (open_ && !Lost()) {
        SetOpen(true);
        return true;
    }
    const int requested = CanRequestedBitRate();
    const int rate = kbit_ ? static_cast<int>(kbit_) : (requested > 0 ? requested : kDefaultKbit);
    std::string error;
    if (!OpenDevice(rate, error)) {
        qCDebug(lcCan, "%s", error.c_str());
        SetOpen(false);
        return false;
    }
    kbit_ = static_cast<uint32_t>(rate);
    status_ = 0;
    SetOpen(true);
    return true;
}

bool QtCanBusInterface::ReadData(int32_t id, uint8_t* data) {
    std::lock_guard lock(mutex_);
    if (!data) return false;
    data[0] = 0;
    if (!OwnHandle()) return false;
    for (int n = 0; n < kMaxReadsPerCall; ++n) {
        const std::optional<QCanBusFrame> frame = PopFrame();
        if (!frame) return false;
        if (frame->frameType() == QCanBusFrame::ErrorFrame) {
            if (const uint32_t word = ErrorFrameStatusWord(*frame)) {
                const DriverFrame status = StatusFrameFor(word);
                HandleStatusFrame(&status);
            }
            continue;
        }
        if (!IsDataFrame(*frame)) continue;
        const DriverFrame d = DataDriverFrame(*frame);
        if (id == 0xFFFF || static_cast<int64_t>(d.id) == id) {
            std::copy_n(d.data.begin(), d.remote ? 0 : d.len, data);
            return true;
        }
    }
    return false;
}

void QtCanBusInterface::WaitReadable(uint64_t deadlineUs) {
    CurrentTimeSource().WaitUntil(rx_, deadlineUs, [this] { return !queue_.empty() || lost_.load(); });
}

bool QtCanBusInterface::IsInstalledPlugin(const std::string& plugin) {
    return !plugin.empty() && QCanBus::instance()->plugins().contains(QString::fromStdString(plugin));
}

std::vector<CanChannelInfo> QtCanBusInterface::ListChannels(const std::string& plugin) {
    std::vector<CanChannelInfo> out;
    const QStringList plugins = plugin.empty() ? QCanBus::instance()->plugins() : QStringList{QString::fromStdString(plugin)};
    for (const QString& p : plugins) {
        QString error;
        const QList<QCanBusDeviceInfo> devices = QCanBus::instance()->availableDevices(p, &error);
        uint32_t number = 0;
        for (const QCanBusDeviceInfo& d : devices) {
            ++number;
            CanChannelInfo info;
            auto iface = std::make_shared<QtCanBusInterface>(p.toStdString(), d.name().toStdString());
            iface->OwnHandle()->SetHandle(number);
            info.owner = iface;
            info.deviceNumber = d.channel() > 0 ? static_cast<uint32_t>(d.channel()) : 0;
            info.deviceNumber64 = info.deviceNumber;
            info.hardwareName = (p + ":" + d.name()).toStdString().substr(0, 255);
            info.channelVersion = (d.description().isEmpty() ? "Qt SerialBus " + p : d.description()).toStdString().substr(0, 255);
            out.push_back(std::move(info));
        }
    }
    return out;
}
