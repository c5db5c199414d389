#include "VirtualCanInterface.h"

#include <QLoggingCategory>

#include "CanChannel.h"
#include "CanSettings.h"
#include "Ports.h"
#include "TimeSource.h"

Q_DECLARE_LOGGING_CATEGORY(lcCan)

bool VirtualCanHandle::IsSameHandle(const IHandleType* other) const {
    auto o = dynamic_cast<const VirtualCanHandle*>(other);
    return o && o->GetHandle() == GetHandle();
}

bool VirtualCanHandle::CopyTo(IHandleType* other) const {
    auto o = dynamic_cast<VirtualCanHandle*>(other);
    if (!o) return false;
    o->SetHandle(GetHandle());
    return true;
}

VirtualCanInterface::VirtualCanInterface(std::shared_ptr<VirtualBus> bus, std::string name)
    : bus_(std::move(bus)), endpoint_(bus_->CreateEndpoint(name)), name_(std::move(name)) {
    auto h = std::make_unique<VirtualCanHandle>();
    h->SetHandle(1);
    handle_ = std::move(h);
}

VirtualCanInterface::~VirtualCanInterface() { endpoint_->Close(); }

bool VirtualCanInterface::Close() {
    std::lock_guard lock(mutex_);
    const bool wasOpen = endpoint_->IsOpen();
    endpoint_->Close();
    if (wasOpen) CanActive = false;
    CurrentChannelStatus().ShowCanStatus("Channel closed", StatusColor::Default);
    return true;
}

bool VirtualCanInterface::Init() {
    std::lock_guard lock(mutex_);
    const int rate = CanRequestedBitRate();
    if (endpoint_->IsOpen() && rate == kbit_) {
        endpoint_->ClearQueue();
        CanActive = true;
        return true;
    }
    if (rate <= 0) {
        CurrentOperator().ShowMessage("Baud rate not found", "CAN Initialization: virtual");
        endpoint_->Close();
        CanActive = false;
        return false;
    }
    kbit_ = rate;
    status_ = 0;
    endpoint_->Open(rate);
    endpoint_->ClearQueue();
    CanActive = true;
    CurrentChannelStatus().ShowCanStatus("Channel active", StatusColor::Green);
    CurrentChannelStatus().ShowBitRate(rate);
    return true;
}

uint32_t VirtualCanInterface::GetStatus() {
    std::lock_guard lock(mutex_);
    CurrentChannelStatus().ShowCanStatus(status_ == 0 ? "Channel active" : "Bus Off", StatusColor::Default);
    return status_;
}

int VirtualCanInterface::TakeOne(tagOPEN_Message* msg) {
    BusFrame f;
    if (!endpoint_->TryReceive(f)) return -1;
    DriverFrame d;
    if (f.statusWord != 0) {
        d.msgType = DRIVER_MSGTYPE_STATUS;
        d.len = 4;
        d.data = {static_cast<uint8_t>(f.statusWord >> 24), static_cast<uint8_t>(f.statusWord >> 16),
                  static_cast<uint8_t>(f.statusWord >> 8), static_cast<uint8_t>(f.statusWord), 0, 0, 0, 0};
        HandleStatusFrame(&d);
        return 1;
    }
    d.id = f.id;
    d.remote = f.rtr;
    d.msgType = f.rtr ? DRIVER_MSGTYPE_RTR : DRIVER_MSGTYPE_STANDARD;
    d.len = f.len;
    d.data = f.data;
    d.timeUs = f.timeUs;
    MessageFromDriverFrame(*msg, d);
    msg->hostTime = HrTimeNow();
    msg->rxCount++;
    LogFrame(*msg);
    return 0;
}

uint32_t VirtualCanInterface::Read(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    msg->direction = CAN_DIR_RX;
    if (!CanActive || !endpoint_->IsOpen()) {
        Close();
        return CAN_RESULT_NO_CHANNEL;
    }
    msg->rxCount = 0;
    for (;;) {
        const int r = TakeOne(msg);
        if (r < 0) break;
    }
    if (msg->rxCount == 0) return CAN_RESULT_NONE;
    return msg->rxCount == 1 ? CAN_RESULT_ONE : CAN_RESULT_SEVERAL;
}

uint32_t VirtualCanInterface::ReadOne(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    msg->direction = CAN_DIR_RX;
    msg->rxCount = 0;
    return TakeOne(msg) == 0 ? CAN_RESULT_ONE : CAN_RESULT_NONE;
}

bool VirtualCanInterface::Write(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    msg->direction = CAN_DIR_TX;
    if (!CanActive || !endpoint_->IsOpen()) {
        Close();
        Init();
        return false;
    }
    const DriverFrame d = ToDriverFrameFromMessage(*msg);
    LogFrame(*msg);
    BusFrame f;
    f.id = d.id;
    f.rtr = d.remote;
    // A remote frame keeps its requested length on the wire.
    f.len = d.remote ? static_cast<uint8_t>(msg->dlc > 8 ? 8 : msg->dlc) : d.len;
    f.data = d.data;
    return endpoint_->Send(f);
}

uint32_t VirtualCanInterface::GetApiVersion(std::string& text) {
    text = "Quarzel virtual CAN 1.0";
    return 0;
}

uint32_t VirtualCanInterface::HandleStatusFrame(const DriverFrame* frame) {
    if (!frame) return 0;
    const uint32_t word = (static_cast<uint32_t>(frame->data[0]) << 24) |
                          (static_cast<uint32_t>(frame->data[1]) << 16) |
                          (static_cast<uint32_t>(frame->data[2]) << 8) | frame->data[3];
    status_ = word;
    qCDebug(lcCan, " In: MSGTYPE_STATUS:%u", word);
    if (word == PCAN_ERROR_BUSOFF) {
        // Bus off: re-open the channel, as a real adapter does.
        endpoint_->Close();
        endpoint_->Open(kbit_);
        status_ = 0;
    }
    return word;
}

bool VirtualCanInterface::RefreshChannelList() {
    std::lock_guard lock(mutex_);
    channels_.clear();
    CanChannelInfo info;
    info.handleRef = 1;
    info.deviceNumber = 0;
    info.deviceNumber64 = 0;
    info.hardwareName = name_;
    info.channelVersion = "virtual bus";
    channels_.push_back(info);
    return true;
}

bool VirtualCanInterface::SearchCanDriverHandle(uint32_t, IHandleType* handle) {
    if (!dynamic_cast<VirtualCanHandle*>(handle)) return false;
    handle->SetHandle(1);
    return true;
}

bool VirtualCanInterface::ActivateHandle(IHandleType* handle) {
    if (!dynamic_cast<VirtualCanHandle*>(handle) || handle->GetHandle() != 1) return false;
    return true;
}

bool VirtualCanInterface::ReadData(int32_t id, uint8_t* data) {
    std::lock_guard lock(mutex_);
    if (!data) return false;
    data[0] = 0;
    for (;;) {
        BusFrame f;
        if (!endpoint_->TryReceive(f)) return false;
        if (f.statusWord != 0) continue;
        if (id == 0xFFFF || static_cast<int32_t>(f.id) == id) {
            for (uint8_t i = 0; i < f.len && i < 8; ++i) data[i] = f.data[i];
            return true;
        }
    }
}

void VirtualCanInterface::WaitReadable(uint64_t deadlineUs) { endpoint_->WaitReceive(deadlineUs); }
