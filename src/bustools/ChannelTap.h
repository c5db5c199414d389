#pragma once
// A bounded queue of the frames that pass the channel (see CanFrameTap.h), for a tool that
// shows the bus while other parts of the station read it. Frames the holder writes itself are
// left out: mark those writes with OwnWrite.

#include <cstdint>
#include <deque>
#include <mutex>

#include "CanMessage.h"

struct TappedFrame {
    tagOPEN_Message msg;
    uint64_t timeUs = 0;  // when it passed the channel (time source µs)
};

class ChannelTap {
public:
    static constexpr size_t kDefaultCapacity = 1u << 18;

    explicit ChannelTap(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}
    ~ChannelTap() { Detach(); }
    ChannelTap(const ChannelTap&) = delete;
    ChannelTap& operator=(const ChannelTap&) = delete;

    void Attach();
    void Detach();
    bool Attached() const { return observer_ != 0; }

    bool Pop(TappedFrame& out);
    // Empties the queue; returns how many frames it held.
    size_t Discard();
    size_t Pending() const;
    // Frames lost because the queue was full.
    uint64_t Overflows() const;

    // While an OwnWrite lives on a thread, frames written on that thread are not queued.
    class OwnWrite {
    public:
        OwnWrite();
        ~OwnWrite();
        OwnWrite(const OwnWrite&) = delete;
        OwnWrite& operator=(const OwnWrite&) = delete;
    };

private:
    void Take(const tagOPEN_Message& msg, uint64_t timeUs);

    mutable std::mutex mutex_;
    std::deque<TappedFrame> queue_;
    size_t capacity_;
    uint64_t overflows_ = 0;
    int observer_ = 0;
};
