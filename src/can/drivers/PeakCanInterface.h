#pragma once
// The channel over the PCAN-Basic library, loaded at run time by file name: channel discovery
// by device number, opening at the bit rate of "Baudr", reading, writing and the status word.
//
// CanActive: only this interface's own channel (the one Init/ActivateHandle open) changes it,
// and only while this interface is the current one; channels opened for a probe never do.

#include <memory>
#include <string>

#include "CanInterface.h"
#include "ChannelNotices.h"
#include "PcanLibrary.h"
#include "PeakCanHandle.h"

class PeakCanInterface : public AbstractCanInterface {
public:
    // `libraryPath`: the library file; empty means the configuration value "[CAN_TREIBER_TYP]".
    explicit PeakCanInterface(std::string libraryPath = {});
    // Releases a channel this interface still holds open.
    ~PeakCanInterface() override;

    bool Close() override;
    bool Init() override;
    uint32_t GetStatus() override;
    uint32_t Read(tagOPEN_Message* msg) override;
    bool Write(tagOPEN_Message* msg) override;
    uint32_t GetApiVersion(std::string& text) override;
    uint32_t ReadOne(tagOPEN_Message* msg) override;
    uint32_t HandleStatusFrame(const DriverFrame* frame) override;
    bool RefreshChannelList() override;
    bool SearchCanDriverHandle(uint32_t deviceNumber, IHandleType* handle) override;
    bool ActivateHandle(IHandleType* handle) override;
    bool ReadData(int32_t id, uint8_t* data) override;
    // The eight library calls offer no receive event, so a wait polls: every 100 µs for the
    // first 5 ms (answers usually come quickly), then every millisecond.
    void WaitReadable(uint64_t deadlineUs) override;
    std::string KindName() const override { return "PCAN"; }

    // Probes the handles of the channel table: with `listAll` every channel found goes into the
    // channel list; otherwise the first whose device number is `deviceNumber` is stored in
    // `handle` (a PeakCanHandle).
    virtual bool EnumerateChannels(uint32_t deviceNumber, IHandleType* handle, bool listAll);

    // Probes one library handle, initialising it for the probe when nobody has; the entry's
    // handle reference is the library handle.
    bool GetInfo(uint16_t handle, CanChannelInfo* info);
    // Opens `handle` as this interface's channel; the outcome sets CanActive.
    bool CanInitializeHandle(uint16_t handle, uint16_t code, uint32_t* status);
    bool CanUninitializeHandle(uint16_t handle, uint32_t* status);

    uint32_t CurrentBitRate() const { return kbit_; }
    uint16_t CurrentBitTimingCode() const { return code_; }
    // True while this interface holds its channel open.
    bool IsOpen() const { return open_; }
    // The library file this interface uses.
    std::string LibraryPath() const;

private:
    bool LoadPcan(std::string& error);
    PeakCanHandle* OwnHandle() const;
    bool InitializeHandle(uint16_t handle, uint16_t code, uint32_t* status, bool ownChannel);
    void SetOpen(bool open, uint16_t handle);
    // Whether this interface's state is the station's: it is the current interface (or none is).
    bool Publishes() const;
    void ShowStatus(const std::string& text, StatusColor color) const;
    void EmptyReceiveQueue();
    void TakeFrame(tagOPEN_Message* msg, const DriverFrame& frame);
    // Bus off: close and open the channel again at the requested rate.
    void Reopen();
    // The library reports the channel gone (unplugged, or no longer initialised): close it, so
    // the next write opens it again.
    void ChannelLost(uint32_t status);
    uint16_t ReadHandle() const;

    std::string libraryPath_;
    std::shared_ptr<const PcanApi> api_;
    uint32_t kbit_ = 0;
    uint16_t code_ = 0;
    bool open_ = false;
    uint16_t openHandle_ = 0;
    FailureNotice failure_;
};
