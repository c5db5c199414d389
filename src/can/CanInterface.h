#pragma once
// The channel abstraction: an interface class per driver, a handle holder, channel lists.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CanMessage.h"
#include "PcanBasicAbi.h"

class CANLogger;
class ICanInterface;

// A channel handle holder.
class IHandleType {
public:
    virtual ~IHandleType() = default;
    virtual bool IsSameHandle(const IHandleType* other) const = 0;
    virtual bool CopyTo(IHandleType* other) const = 0;
    virtual uint32_t GetHandle() const { return handle_; }
    virtual void SetHandle(int64_t h) { handle_ = static_cast<uint32_t>(h); }

protected:
    uint32_t handle_ = 0;
};

// One entry of a channel list. `handleRef` identifies the entry for CanSelectHardware;
// `owner` is the interface that can open it: left empty in an interface's own list (so an
// interface never owns itself) and set by GetChannelList on the copies it hands out.
struct CanChannelInfo {
    uint32_t handleRef = 0;
    std::shared_ptr<class AbstractCanInterface> owner;
    uint32_t deviceNumber = 0;
    std::string hardwareName;  // at most 255 characters
    uint64_t deviceNumber64 = 0;
    std::string channelVersion;  // at most 255 characters
};

class ICanInterface {
public:
    virtual ~ICanInterface() = default;
    virtual bool Close() = 0;
    virtual bool Init() = 0;
    virtual uint32_t GetStatus() = 0;
};

// Identifier range of a wait, low then high; low 0xFFFF accepts any identifier.
struct CanIdRange {
    int32_t low = 0;
    int32_t high = 0;
};

class AbstractCanInterface : public ICanInterface,
                             public std::enable_shared_from_this<AbstractCanInterface> {
public:
    AbstractCanInterface() = default;
    ~AbstractCanInterface() override;
    AbstractCanInterface(const AbstractCanInterface&) = delete;
    AbstractCanInterface& operator=(const AbstractCanInterface&) = delete;

    virtual uint32_t Read(tagOPEN_Message* msg) = 0;   // drain the receive queue
    virtual bool Write(tagOPEN_Message* msg) = 0;
    virtual uint32_t GetApiVersion(std::string& text) = 0;
    virtual uint32_t ReadOne(tagOPEN_Message* msg) = 0;  // at most one frame
    virtual uint32_t CanReadWait(int32_t waitMs, const CanIdRange* range, tagOPEN_Message* msg);
    virtual uint32_t HandleStatusFrame(const DriverFrame* frame) = 0;
    virtual bool RefreshChannelList() = 0;
    virtual bool SearchCanDriverHandle(uint32_t deviceNumber, IHandleType* handle) = 0;
    virtual bool ActivateHandle(IHandleType* handle) = 0;
    virtual bool ReadData(int32_t id, uint8_t* data) = 0;
    virtual bool FromDriverFrame(DriverFrame* out, const TPCANMsg* msg, const TPCANTimestamp* ts);
    virtual bool ToDriverFrame(TPCANMsg* out, const DriverFrame* frame);

    // Blocks until a frame may be readable or the deadline (TimeSource µs) has passed.
    // The default polls in short sleeps; drivers that can block on their queue override it.
    virtual void WaitReadable(uint64_t deadlineUs);
    // A short name of the interface kind for lists and messages ("PCAN", "socketcan", "virtual").
    virtual std::string KindName() const = 0;

    void SetLogger(CANLogger* logger);
    CANLogger* Logger() const { return logger_; }
    bool GetChannelList(std::vector<CanChannelInfo>& list, bool refresh);
    void FormatCsvLine(std::string& text, const tagOPEN_Message* msg, size_t maxLength) const;

    IHandleType* HandleObject() const { return handle_.get(); }
    void SetHandleObject(std::unique_ptr<IHandleType> handle) { handle_ = std::move(handle); }
    std::vector<CanChannelInfo>& ChannelList() { return channels_; }

    // Serialises the channel operations of threads that share this interface.
    std::recursive_mutex& Mutex() { return mutex_; }

protected:
    // Hands a frame that passed the channel to the trace logger (if any).
    void LogFrame(const tagOPEN_Message& msg);

    std::unique_ptr<IHandleType> handle_;
    std::vector<CanChannelInfo> channels_;
    CANLogger* logger_ = nullptr;
    std::recursive_mutex mutex_;
};
