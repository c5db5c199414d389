#pragma once
// A channel on a VirtualBus: the station's interface to the simulated devices.

#include <memory>

#include "CanInterface.h"
#include "VirtualBus.h"

// The handle of a virtual channel: one channel per interface, handle 1 once chosen.
class VirtualCanHandle final : public IHandleType {
public:
    bool IsSameHandle(const IHandleType* other) const override;
    bool CopyTo(IHandleType* other) const override;
    void SetHandle(int64_t h) override { handle_ = h < 1 ? 0 : static_cast<uint32_t>(h); }
};

class VirtualCanInterface : public AbstractCanInterface {
public:
    explicit VirtualCanInterface(std::shared_ptr<VirtualBus> bus, std::string name = "Virtual CAN");
    ~VirtualCanInterface() override;

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
    void WaitReadable(uint64_t deadlineUs) override;
    std::string KindName() const override { return "virtual"; }

    int CurrentBitRate() const { return kbit_; }
    VirtualEndpoint& Endpoint() { return *endpoint_; }

private:
    // Takes one frame from the endpoint into `msg`: 0 data frame, 1 status frame, -1 none.
    int TakeOne(tagOPEN_Message* msg);

    std::shared_ptr<VirtualBus> bus_;
    std::shared_ptr<VirtualEndpoint> endpoint_;
    std::string name_;
    int kbit_ = 0;
    uint32_t status_ = 0;
};
