#include "ChannelTap.h"

#include "CanFrameTap.h"

namespace {
thread_local int t_ownWrites = 0;
}

ChannelTap::OwnWrite::OwnWrite() { ++t_ownWrites; }
ChannelTap::OwnWrite::~OwnWrite() { --t_ownWrites; }

void ChannelTap::Attach() {
    if (observer_) return;
    observer_ = CanAddFrameObserver([this](const tagOPEN_Message& msg, uint64_t timeUs) { Take(msg, timeUs); });
}

void ChannelTap::Detach() {
    if (!observer_) return;
    CanRemoveFrameObserver(observer_);
    observer_ = 0;
}

void ChannelTap::Take(const tagOPEN_Message& msg, uint64_t timeUs) {
    if (msg.direction == CAN_DIR_TX && t_ownWrites > 0) return;
    std::lock_guard lock(mutex_);
    if (queue_.size() >= capacity_) {
        ++overflows_;
        return;
    }
    queue_.push_back({msg, timeUs});
}

bool ChannelTap::Pop(TappedFrame& out) {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
}

size_t ChannelTap::Discard() {
    std::lock_guard lock(mutex_);
    const size_t n = queue_.size();
    queue_.clear();
    return n;
}

size_t ChannelTap::Pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

uint64_t ChannelTap::Overflows() const {
    std::lock_guard lock(mutex_);
    return overflows_;
}
