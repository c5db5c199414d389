#include "PeakCanInterface.h"

#include <QLoggingCategory>
#include <algorithm>
#include <array>
#include <cstring>

#include "CNumber.h"
#include "CanChannel.h"
#include "CanSettings.h"
#include "CanStatusText.h"
#include "PeakBitRates.h"
#include "PeakDelay.h"
#include "PeakHandleGuard.h"
#include "TimeSource.h"

Q_DECLARE_LOGGING_CATEGORY(lcCan)

namespace {
// A drain stops after this many library reads, so a queue that fills as fast as it is read
// cannot hold the caller forever.
constexpr int kMaxReadsPerCall = 65536;
// Consecutive unexpected library statuses after which a read gives up.
constexpr int kMaxUnexpectedStatus = 16;
// Upper bound of the pause after opening ("CANInitDelay"), so a mistyped value cannot freeze
// the station.
constexpr int64_t kMaxInitDelayMs = 10000;
constexpr uint32_t kUninitializePauseMs = 200;
constexpr uint64_t kFastPollUs = 100;
constexpr uint64_t kSlowPollUs = 1000;
constexpr uint64_t kFastPollPhaseUs = 5000;
constexpr size_t kTextBuffer = 256;

std::string TextFrom(const std::array<char, kTextBuffer>& buffer) {
    return std::string(buffer.data(), strnlen(buffer.data(), kTextBuffer - 1));
}

bool IsChannelGone(uint32_t status) { return status == PCAN_ERROR_ILLHW || status == PCAN_ERROR_INITIALIZE; }
}  // namespace

PeakCanInterface::PeakCanInterface(std::string libraryPath) : libraryPath_(std::move(libraryPath)) {
    handle_ = std::make_unique<PeakCanHandle>();
}

PeakCanInterface::~PeakCanInterface() {
    if (open_ && api_) api_->Uninitialize(openHandle_);
}

std::string PeakCanInterface::LibraryPath() const {
    return libraryPath_.empty() ? CurrentCanSettings().Config("[CAN_TREIBER_TYP]") : libraryPath_;
}

bool PeakCanInterface::LoadPcan(std::string& error) {
    error.clear();
    if (api_) return true;
    api_ = LoadPcanLibrary(LibraryPath(), error);
    return api_ != nullptr;
}

PeakCanHandle* PeakCanInterface::OwnHandle() const { return dynamic_cast<PeakCanHandle*>(handle_.get()); }

bool PeakCanInterface::Publishes() const {
    auto current = CanCurrentInterface();
    return !current || current.get() == this;
}

void PeakCanInterface::ShowStatus(const std::string& text, StatusColor color) const {
    if (Publishes()) NotifyCanStatus(text, color);
}

void PeakCanInterface::SetOpen(bool open, uint16_t handle) {
    open_ = open;
    openHandle_ = open ? handle : 0;
    if (Publishes()) CanActive = open;
}

uint16_t PeakCanInterface::ReadHandle() const {
    if (open_) return openHandle_;
    const PeakCanHandle* own = OwnHandle();
    return own ? static_cast<uint16_t>(own->GetHandle()) : 0;
}

bool PeakCanInterface::InitializeHandle(uint16_t handle, uint16_t code, uint32_t* status, bool ownChannel) {
    if (handle == 0 || !status) return false;
    *status = PCAN_ERROR_NODRIVER;
    std::string error;
    if (!LoadPcan(error)) return false;
    qCDebug(lcCan, "CanInitializeHandle");
    *status = api_->Initialize(handle, code, 0, 0, 0);
    const bool ok = *status == PCAN_ERROR_OK;
    if (ownChannel) SetOpen(ok, handle);
    return ok;
}

bool PeakCanInterface::CanInitializeHandle(uint16_t handle, uint16_t code, uint32_t* status) {
    std::lock_guard lock(mutex_);
    return InitializeHandle(handle, code, status, true);
}

bool PeakCanInterface::CanUninitializeHandle(uint16_t handle, uint32_t* status) {
    std::lock_guard lock(mutex_);
    if (handle == 0 || !status) return false;
    *status = PCAN_ERROR_NODRIVER;
    std::string error;
    if (!LoadPcan(error)) return false;
    qCDebug(lcCan, "CanUninitializeHandle");
    *status = api_->Uninitialize(handle);
    if (*status == PCAN_ERROR_OK) PeakDelay(kUninitializePauseMs);
    return *status == PCAN_ERROR_OK || *status == PCAN_ERROR_INITIALIZE;
}

bool PeakCanInterface::GetInfo(uint16_t handle, CanChannelInfo* info) {
    std::lock_guard lock(mutex_);
    if (!info) return false;
    std::string error;
    if (!LoadPcan(error)) return false;
    qCDebug(lcCan, "GetInfo");
    if (code_ == 0) code_ = kPeakDefaultBitTimingCode;

    PeakHandleGuard guard;  // released on every way out
    if (!guard.Acquire(handle, handle_.get(), PeakHandleGuard::kTimeoutMs)) {
        qCDebug(lcCan, "Handle-Mutex-Timeout: handle=%u", static_cast<unsigned>(handle));
        return false;
    }
    uint32_t status = api_->GetStatus(handle);
    bool openedForProbe = false;
    if (status == PCAN_ERROR_INITIALIZE) openedForProbe = InitializeHandle(handle, code_, &status, false);

    bool ok = false;
    if (status == PCAN_ERROR_NODRIVER || status == PCAN_ERROR_ILLOPERATION || status == PCAN_ERROR_ILLHW) {
        qCDebug(lcCan, "CAN init error status: %lu", static_cast<unsigned long>(status));
    } else if (status != PCAN_ERROR_INITIALIZE) {
        uint32_t device = 0;
        if (api_->GetValue(handle, PCAN_DEVICE_NUMBER, &device, sizeof device) == PCAN_ERROR_OK) {
            std::array<char, kTextBuffer> name{};
            std::array<char, kTextBuffer> version{};
            const uint32_t nameStatus = api_->GetValue(handle, PCAN_HARDWARE_NAME, name.data(), kTextBuffer - 1);
            const uint32_t versionStatus =
                api_->GetValue(handle, PCAN_CHANNEL_VERSION, version.data(), kTextBuffer - 1);
            info->handleRef = handle;
            info->owner.reset();
            info->deviceNumber = device;
            info->deviceNumber64 = device;
            info->hardwareName = TextFrom(name);
            info->channelVersion = TextFrom(version);
            ok = nameStatus == PCAN_ERROR_OK && versionStatus == PCAN_ERROR_OK;
        }
    }
    if (openedForProbe) {
        uint32_t closeStatus = 0;
        CanUninitializeHandle(handle, &closeStatus);
    }
    return ok;
}

bool PeakCanInterface::EnumerateChannels(uint32_t deviceNumber, IHandleType* handle, bool listAll) {
    std::lock_guard lock(mutex_);
    auto* target = dynamic_cast<PeakCanHandle*>(handle);
    if (listAll)
        channels_.clear();
    else if (!target)
        return false;
    bool found = false;
    for (const uint16_t h : PeakChannelHandleTable()) {
        CanChannelInfo info;
        if (!GetInfo(h, &info)) continue;
        if (listAll) {
            channels_.push_back(std::move(info));
            found = true;
        } else if (info.deviceNumber == deviceNumber) {
            target->SetDeviceNumber(deviceNumber);
            target->SetHandle(h);
            found = true;
            break;
        }
    }
    return found;
}

bool PeakCanInterface::RefreshChannelList() { return EnumerateChannels(0, nullptr, true); }

bool PeakCanInterface::SearchCanDriverHandle(uint32_t deviceNumber, IHandleType* handle) {
    std::lock_guard lock(mutex_);
    std::string error;
    if (!LoadPcan(error)) return false;
    auto* target = dynamic_cast<PeakCanHandle*>(handle);
    if (!target) return false;
    PeakCanHandle scratch;
    bool found = false;
    if (target->GetHandle() != 0) {
        CanChannelInfo info;
        if (GetInfo(static_cast<uint16_t>(target->GetHandle()), &info) && info.deviceNumber == deviceNumber) {
            scratch.SetHandle(target->GetHandle());
            scratch.SetDeviceNumber(deviceNumber);
            found = true;
        }
    }
    if (!found) {
        qCDebug(lcCan, "SearchCanDriverHandle");
        found = EnumerateChannels(deviceNumber, &scratch, false);
    }
    if (found) {
        qCDebug(lcCan, "Handle=%u for ID=%u found", scratch.GetHandle(), deviceNumber);
        scratch.CopyTo(target);
    }
    return found;
}

bool PeakCanInterface::ActivateHandle(IHandleType* handle) {
    std::lock_guard lock(mutex_);
    std::string error;
    if (!LoadPcan(error)) return false;
    auto* given = dynamic_cast<PeakCanHandle*>(handle);
    if (!given) return false;
    if (!handle_) handle_ = std::make_unique<PeakCanHandle>();
    PeakCanHandle* own = OwnHandle();
    if (!own) return false;
    const uint32_t h = given->GetHandle();
    if (!IsPeakChannelHandle(h)) return false;
    // A channel this interface holds open on another handle is released first.
    if (open_ && openHandle_ != h) Close();
    if (given != own) given->CopyTo(own);

    const auto handle16 = static_cast<uint16_t>(h);
    uint32_t status = api_->GetStatus(handle16);
    if (status == PCAN_ERROR_INITIALIZE)
        InitializeHandle(handle16, code_ ? code_ : kPeakDefaultBitTimingCode, &status, true);
    if (status != PCAN_ERROR_OK) {
        qCDebug(lcCan, "Peak CAN status '0x%X'.", static_cast<unsigned>(status));
        return false;
    }
    if (open_ && openHandle_ == handle16) SetOpen(true, handle16);
    return true;
}

bool PeakCanInterface::Init() {
    std::lock_guard lock(mutex_);
    PeakCanHandle* own = OwnHandle();
    if (!own) return false;
    const int rate = CanRequestedBitRate();
    if (open_ && rate == static_cast<int>(kbit_)) {
        EmptyReceiveQueue();
        return true;
    }
    std::string error;
    if (!LoadPcan(error)) {
        failure_.Show("PCAN DLL: required functions not available", error);
        return false;
    }
    const uint16_t code = PeakBitTimingCode(rate);
    if (code == 0) {
        // The channel is closed for real, so that CanActive and the library agree.
        Close();
        failure_.Show("Baud rate not found", "CAN Initialization: " + LibraryPath());
        return false;
    }
    kbit_ = static_cast<uint32_t>(rate);
    code_ = code;

    if (own->GetHandle() == 0) {
        const std::string hwid = CurrentCanSettings().Config("[CAN_TREIBER_HWID]");
        const auto device = ParseCNumber(hwid);
        if (!device || !SearchCanDriverHandle(*device, own)) {
            failure_.Show("No HardwareID " + hwid + " connected.", "HardwareID error");
            own->SetHandle(0);
            return false;
        }
    }
    Close();
    uint32_t status = 0;
    if (!InitializeHandle(static_cast<uint16_t>(own->GetHandle()), code, &status, true)) {
        std::array<char, kTextBuffer> text{};
        api_->GetErrorText(status, 0, text.data());
        failure_.Show(TextFrom(text), "Initialization error");
        return false;
    }
    if (auto delay = CurrentCanSettings().Variable("CANInitDelay"); delay && *delay > 0)
        PeakDelay(static_cast<int>(std::min(*delay, kMaxInitDelayMs)));
    SetOpen(true, static_cast<uint16_t>(own->GetHandle()));
    EmptyReceiveQueue();
    failure_.Clear();
    if (Publishes()) {
        NotifyCanStatus("Channel active", StatusColor::Green);
        NotifyBitRate(rate);
    }
    return true;
}

bool PeakCanInterface::Close() {
    std::lock_guard lock(mutex_);
    bool ok = true;
    if (open_) {
        uint32_t status = 0;
        ok = CanUninitializeHandle(openHandle_, &status) && status == PCAN_ERROR_OK;
    }
    SetOpen(false, 0);
    ShowStatus("Channel closed", StatusColor::Default);
    return ok;
}

uint32_t PeakCanInterface::GetStatus() {
    std::lock_guard lock(mutex_);
    PeakCanHandle* own = OwnHandle();
    if (!own) return 0xFFFFFFFF;
    std::string error;
    const uint32_t status = LoadPcan(error) ? api_->GetStatus(static_cast<uint16_t>(own->GetHandle()))
                                            : static_cast<uint32_t>(PCAN_ERROR_NODRIVER);
    ShowStatus(CanStatusText(status), CanStatusColor(status));
    return status;
}

void PeakCanInterface::EmptyReceiveQueue() {
    if (!api_ || !open_) return;
    for (int n = 0; n < kMaxReadsPerCall; ++n) {
        TPCANMsg m{};
        TPCANTimestamp ts{};
        if (api_->Read(openHandle_, &m, &ts) != PCAN_ERROR_OK) return;
    }
}

void PeakCanInterface::TakeFrame(tagOPEN_Message* msg, const DriverFrame& frame) {
    msg->hostTime = HrTimeNow();
    msg->rxCount++;
    MessageFromDriverFrame(*msg, frame);
    qCDebug(lcCan, "In: %03X", static_cast<unsigned>(msg->id));
    LogFrame(*msg);
}

void PeakCanInterface::Reopen() {
    Close();
    Init();
}

void PeakCanInterface::ChannelLost(uint32_t status) {
    qCDebug(lcCan, "channel lost, status 0x%X", static_cast<unsigned>(status));
    Close();
    ShowStatus(CanStatusText(status), StatusColor::Red);
}

bool PeakCanInterface::Write(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    if (!msg) return false;
    msg->direction = CAN_DIR_TX;
    if (!OwnHandle()) return false;
    if (!open_) {
        Close();
        Init();
        return false;
    }
    const DriverFrame frame = ToDriverFrameFromMessage(*msg);
    TPCANMsg m{};
    ToDriverFrame(&m, &frame);
    qCDebug(lcCan, "Out: %03X", static_cast<unsigned>(msg->id));
    LogFrame(*msg);
    const uint32_t status = api_->Write(openHandle_, &m);
    switch (status) {
        case PCAN_ERROR_OK:
            return true;
        case PCAN_ERROR_QXMTFULL:
            qCDebug(lcCan, "INFO: full queue");
            return false;
        case PCAN_ERROR_BUSOFF:
            qCDebug(lcCan, "INFO: Busoff!!!");
            Reopen();
            return false;
        case PCAN_ERROR_NODRIVER:
            qCDebug(lcCan, "INFO: CAN_ERR_NODRIVER");
            return false;
        case PCAN_ERROR_RESOURCE:
            qCDebug(lcCan, "INFO: CAN_ERR_RESOURCE");
            return false;
        default:
            qCDebug(lcCan, "INFO: unknown error=0x%04X", static_cast<unsigned>(status));
            if (IsChannelGone(status)) ChannelLost(status);
            return false;
    }
}

uint32_t PeakCanInterface::Read(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    if (!msg) return CAN_RESULT_NONE;
    if (!OwnHandle()) return CAN_RESULT_NO_CHANNEL;
    msg->direction = CAN_DIR_RX;
    if (!open_) {
        Close();
        return CAN_RESULT_NO_CHANNEL;
    }
    msg->rxCount = 0;
    int unexpected = 0;
    for (int n = 0; n < kMaxReadsPerCall && open_; ++n) {
        TPCANMsg m{};
        TPCANTimestamp ts{};
        const uint32_t status = api_->Read(openHandle_, &m, &ts);
        if (status == PCAN_ERROR_OK) {
            unexpected = 0;
            DriverFrame frame;
            FromDriverFrame(&frame, &m, &ts);
            if (frame.msgType == DRIVER_MSGTYPE_STATUS)
                HandleStatusFrame(&frame);
            else
                TakeFrame(msg, frame);
            continue;
        }
        if (status == PCAN_ERROR_QRCVEMPTY) break;
        if (status == PCAN_ERROR_NODRIVER) {
            qCDebug(lcCan, "INFO: CAN_ERR_NODRIVER");
            break;
        }
        if (IsChannelGone(status)) {
            ChannelLost(status);
            if (msg->rxCount == 0) return CAN_RESULT_NO_CHANNEL;
            break;
        }
        if (++unexpected >= kMaxUnexpectedStatus) {
            qCDebug(lcCan, "Read: library keeps reporting 0x%X", static_cast<unsigned>(status));
            ShowStatus(CanStatusText(status), CanStatusColor(status));
            break;
        }
    }
    if (msg->rxCount == 0) return CAN_RESULT_NONE;
    return msg->rxCount == 1 ? CAN_RESULT_ONE : CAN_RESULT_SEVERAL;
}

uint32_t PeakCanInterface::ReadOne(tagOPEN_Message* msg) {
    std::lock_guard lock(mutex_);
    if (!msg) return CAN_RESULT_NONE;
    if (!OwnHandle()) return CAN_RESULT_NO_CHANNEL;
    msg->direction = CAN_DIR_RX;
    msg->rxCount = 0;
    std::string error;
    if (!LoadPcan(error)) return CAN_RESULT_NONE;
    TPCANMsg m{};
    TPCANTimestamp ts{};
    const uint32_t status = api_->Read(ReadHandle(), &m, &ts);
    if (status == PCAN_ERROR_OK) {
        DriverFrame frame;
        FromDriverFrame(&frame, &m, &ts);
        if (frame.msgType == DRIVER_MSGTYPE_STATUS) {
            HandleStatusFrame(&frame);
            return CAN_RESULT_NONE;
        }
        TakeFrame(msg, frame);
        return CAN_RESULT_ONE;
    }
    if (status == PCAN_ERROR_NODRIVER) qCDebug(lcCan, "INFO: CAN_ERR_NODRIVER");
    if (status == PCAN_ERROR_ILLHW && open_) ChannelLost(status);
    return CAN_RESULT_NONE;
}

bool PeakCanInterface::ReadData(int32_t id, uint8_t* data) {
    std::lock_guard lock(mutex_);
    if (!data) return false;
    data[0] = 0;
    if (!OwnHandle()) return false;
    std::string error;
    if (!LoadPcan(error)) return false;
    int unexpected = 0;
    for (int n = 0; n < kMaxReadsPerCall; ++n) {
        TPCANMsg m{};
        TPCANTimestamp ts{};
        const uint32_t status = api_->Read(ReadHandle(), &m, &ts);
        if (status == PCAN_ERROR_OK) {
            unexpected = 0;
            DriverFrame frame;
            FromDriverFrame(&frame, &m, &ts);
            if (frame.msgType == DRIVER_MSGTYPE_STATUS) {
                HandleStatusFrame(&frame);
                continue;
            }
            if (id == 0xFFFF || static_cast<int64_t>(frame.id) == id) {
                const size_t len = frame.remote ? 0 : std::min<size_t>(frame.len, 8);
                std::copy_n(frame.data.begin(), len, data);
                return true;
            }
            qCDebug(lcCan, " In: %03X", static_cast<unsigned>(frame.id));
            continue;
        }
        if (status == PCAN_ERROR_QRCVEMPTY) return false;
        ShowStatus(CanStatusText(status), CanStatusColor(status));
        if (IsChannelGone(status)) {
            if (open_) ChannelLost(status);
            return false;
        }
        if (++unexpected >= kMaxUnexpectedStatus) return false;
    }
    return false;
}

uint32_t PeakCanInterface::HandleStatusFrame(const DriverFrame* frame) {
    std::lock_guard lock(mutex_);
    if (!frame) return 0;
    const uint32_t word = StatusWordOf(*frame);
    const char* what = "Unknown";
    switch (word) {
        case PCAN_ERROR_BUSLIGHT: what = "Bus Light"; break;
        case PCAN_ERROR_BUSHEAVY: what = "Bus Heavy"; break;
        case PCAN_ERROR_BUSOFF: what = "Bus Off"; break;
        case PCAN_ERROR_QOVERRUN: what = "Overrun"; break;
        default: break;
    }
    qCDebug(lcCan, " In: MSGTYPE_STATUS:%d, %s", static_cast<int>(word), what);
    if (word == PCAN_ERROR_BUSOFF) Reopen();
    return word;
}

void PeakCanInterface::WaitReadable(uint64_t deadlineUs) {
    // One wait is one deadline; each thread keeps track of its own.
    thread_local uint64_t waitDeadline = 0;
    thread_local uint64_t waitStart = 0;
    TimeSource& clock = CurrentTimeSource();
    const uint64_t now = clock.NowUs();
    if (deadlineUs != waitDeadline) {
        waitDeadline = deadlineUs;
        waitStart = now;
    }
    const uint64_t step = now - waitStart < kFastPollPhaseUs ? kFastPollUs : kSlowPollUs;
    clock.SleepUntil(std::min(now + step, deadlineUs));
}

uint32_t PeakCanInterface::GetApiVersion(std::string& text) {
    std::lock_guard lock(mutex_);
    PeakCanHandle* own = OwnHandle();
    if (!own) return 0xFFFFFFFF;
    std::string error;
    if (!LoadPcan(error)) return PCAN_ERROR_NODRIVER;
    std::array<char, kTextBuffer> buffer{};
    const uint32_t status =
        api_->GetValue(static_cast<uint16_t>(own->GetHandle()), PCAN_API_VERSION, buffer.data(), kTextBuffer - 1);
    text = TextFrom(buffer);
    return status;
}
