#include "ChannelRecorder.h"

#include "CanFrameTap.h"
#include "TimeSource.h"

bool ChannelRecorder::Start(const std::string& path, std::string& error) {
    Stop();
    const auto format = TraceFileFormatOf(path);
    if (!format) {
        error = "Unknown trace file type (.log, .trc or .asc expected): " + path;
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        if (!writer_.Open(path, *format, UnixMicroseconds(CurrentTimeSource().NowUs()), error)) return false;
        path_ = path;
    }
    observer_ = CanAddFrameObserver([this](const tagOPEN_Message& msg, uint64_t timeUs) { Take(msg, timeUs); });
    return true;
}

void ChannelRecorder::Take(const tagOPEN_Message& msg, uint64_t timeUs) {
    TraceFileFrame f;
    f.unixUs = UnixMicroseconds(timeUs);
    f.id = msg.id;
    f.rtr = msg.rtr;
    f.len = static_cast<uint8_t>(msg.dlc > 8 ? 8 : msg.dlc);
    f.data = msg.data;
    f.tx = msg.direction == CAN_DIR_TX;
    std::lock_guard lock(mutex_);
    writer_.Write(f);
}

bool ChannelRecorder::Stop(std::string* error) {
    if (observer_) {
        CanRemoveFrameObserver(observer_);
        observer_ = 0;
    }
    std::lock_guard lock(mutex_);
    if (!writer_.IsOpen()) return true;
    const bool ok = writer_.Close();
    if (!ok && error) *error = "Writing " + path_ + " failed; the recording is incomplete";
    return ok;
}

bool ChannelRecorder::Recording() const {
    std::lock_guard lock(mutex_);
    return writer_.IsOpen();
}

uint64_t ChannelRecorder::Frames() const {
    std::lock_guard lock(mutex_);
    return writer_.Written();
}
