#include <QLoggingCategory>

#include "CANLogger.h"
#include "CanFrameTap.h"
#include "CanInterface.h"
#include "TimeSource.h"

Q_LOGGING_CATEGORY(lcCan, "quarzel.can", QtWarningMsg)

AbstractCanInterface::~AbstractCanInterface() = default;

uint32_t AbstractCanInterface::CanReadWait(int32_t waitMs, const CanIdRange* range, tagOPEN_Message* msg) {
    if (!msg) return CAN_RESULT_NONE;
    TimeSource& clock = CurrentTimeSource();
    const uint64_t start = clock.NowUs();
    const uint64_t deadline = start + static_cast<uint64_t>(waitMs > 0 ? waitMs : 0) * 1000u;
    const int32_t low = range ? range->low : 0xFFFF;
    const int32_t high = range ? range->high : 0xFFFF;
    for (;;) {
        uint32_t result;
        {
            std::lock_guard lock(mutex_);
            result = ReadOne(msg);
        }
        if (result != CAN_RESULT_NONE) {
            if (low == 0xFFFF) return result;
            if (static_cast<int64_t>(msg->id) >= low && static_cast<int64_t>(msg->id) <= high) return result;
            // Another identifier: dropped, the next read overwrites it.
            continue;
        }
        const uint64_t now = clock.NowUs();
        if (now >= deadline) {
            const uint64_t elapsed = now - start;
            qCDebug(lcCan, "CanReadWait(): waittime(ms)=%d, difftime(us)=%d, difftime(s)=%d", waitMs,
                    static_cast<int>(elapsed % 1000000), static_cast<int>(elapsed / 1000000));
            return CAN_RESULT_NONE;
        }
        WaitReadable(deadline);
    }
}

void AbstractCanInterface::WaitReadable(uint64_t deadlineUs) {
    TimeSource& clock = CurrentTimeSource();
    const uint64_t next = clock.NowUs() + 200;
    clock.SleepUntil(next < deadlineUs ? next : deadlineUs);
}

bool AbstractCanInterface::FromDriverFrame(DriverFrame* out, const TPCANMsg* msg, const TPCANTimestamp* ts) {
    if (!out || !msg) return false;
    out->id = msg->ID;
    out->msgType = msg->MSGTYPE;
    out->len = msg->LEN;
    for (size_t i = 0; i < 8; ++i) out->data[i] = msg->DATA[i];
    out->remote = msg->MSGTYPE == DRIVER_MSGTYPE_RTR;
    out->timeUs = ts ? PcanTimestampToMicroseconds(*ts) : 0;
    return true;
}

bool AbstractCanInterface::ToDriverFrame(TPCANMsg* out, const DriverFrame* frame) {
    if (!out || !frame) return false;
    out->ID = frame->id;
    out->MSGTYPE = frame->msgType;
    out->LEN = frame->len;
    for (size_t i = 0; i < 8; ++i) out->DATA[i] = frame->data[i];
    return true;
}

void AbstractCanInterface::SetLogger(CANLogger* logger) {
    std::lock_guard lock(mutex_);
    logger_ = logger;
}

void AbstractCanInterface::LogFrame(const tagOPEN_Message& msg) {
    if (logger_) logger_->Add(msg);
    CanNotifyFrameObservers(msg);
}

bool AbstractCanInterface::GetChannelList(std::vector<CanChannelInfo>& list, bool refresh) {
    std::lock_guard lock(mutex_);
    if (refresh) {
        if (!RefreshChannelList()) return false;
    } else if (channels_.empty()) {
        return false;
    }
    auto self = shared_from_this();
    for (CanChannelInfo info : channels_) {
        info.owner = self;
        list.push_back(std::move(info));
    }
    return true;
}

void AbstractCanInterface::FormatCsvLine(std::string& text, const tagOPEN_Message* msg, size_t maxLength) const {
    if (!msg) return;
    ::FormatCsvLine(text, *msg, maxLength);
}
