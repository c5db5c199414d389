// The simulator bus client: a virtual channel on a private bus whose second endpoint is a
// bridge to the socket. Frames the station writes go out through the bridge; a receive thread
// puts the socket's frames onto the private bus, so reading and waiting work exactly as on
// any virtual channel.

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <mutex>
#include <thread>

#include "CanChannel.h"
#include "Ports.h"
#include "SimBusClient.h"
#include "SimBusProtocol.h"
#include "UnixSeqPacket.h"
#include "VirtualCanInterface.h"

namespace {
class SimBusCanInterface final : public VirtualCanInterface {
public:
    explicit SimBusCanInterface(std::string path) : SimBusCanInterface(std::move(path), VirtualBus::Create()) {}
    ~SimBusCanInterface() override {
        bridge_->SetHandler(nullptr);
        Disconnect();
    }

    bool Init() override {
        std::lock_guard lock(mutex_);
        if (!connected_) {
            std::string error;
            if (!Connect(error)) {
                CurrentOperator().ShowMessage(error, "CAN Initialization: simbus");
                CurrentChannelStatus().ShowCanStatus("No simulator bus", StatusColor::Red);
                CanActive = false;
                return false;
            }
        }
        if (!VirtualCanInterface::Init()) return false;
        SendControl(SimBusBitRateMessage(CurrentBitRate()));
        return true;
    }

    bool Write(tagOPEN_Message* msg) override {
        std::lock_guard lock(mutex_);
        if (!connected_) {
            msg->direction = CAN_DIR_TX;
            return false;
        }
        return VirtualCanInterface::Write(msg);
    }

    uint32_t GetStatus() override {
        if (!connected_) {
            CurrentChannelStatus().ShowCanStatus("Simulator bus disconnected", StatusColor::Red);
            return PCAN_ERROR_NODRIVER;
        }
        return VirtualCanInterface::GetStatus();
    }

    uint32_t GetApiVersion(std::string& text) override {
        text = "Quarzel simulator bus 1.0 (" + path_ + ")";
        return 0;
    }

    bool RefreshChannelList() override {
        VirtualCanInterface::RefreshChannelList();
        for (auto& c : channels_) c.channelVersion = "quarzel-sim " + path_;
        return true;
    }

    std::string KindName() const override { return "simbus"; }

private:
    SimBusCanInterface(std::string path, std::shared_ptr<VirtualBus> bus)
        : VirtualCanInterface(bus, "Simulator bus"), path_(std::move(path)), bridge_(bus->CreateEndpoint("socket")) {
        bridge_->SetHandler([this](const BusFrame& f) { SendFrame(f); });
        bridge_->Open(0);
    }

    bool Connect(std::string& error) {
        Disconnect();
        const int fd = ConnectSeqPacket(path_, error);
        if (fd < 0) {
            error = "quarzel-sim is not reachable: " + error;
            return false;
        }
        {
            std::lock_guard lock(sendMutex_);
            fd_ = fd;
        }
        connected_ = true;
        SendControl(SimBusNameMessage("quarzel pid " + std::to_string(getpid())));
        receiver_ = std::thread([this, fd] { ReceiveLoop(fd); });
        return true;
    }

    void Disconnect() {
        int fd;
        {
            std::lock_guard lock(sendMutex_);
            fd = fd_;
            if (fd >= 0) shutdown(fd, SHUT_RDWR);
        }
        if (receiver_.joinable()) receiver_.join();
        std::lock_guard lock(sendMutex_);
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
        connected_ = false;
    }

    void ReceiveLoop(int fd) {
        std::array<uint8_t, 64> buf;
        for (;;) {
            const ssize_t n = recv(fd, buf.data(), buf.size(), MSG_TRUNC);
            if (n <= 0) break;
            if (static_cast<size_t>(n) > buf.size()) continue;
            const SimBusPacket p = DecodeSimBusPacket(std::span<const uint8_t>(buf.data(), static_cast<size_t>(n)));
            if (p.kind == SimBusPacket::Kind::Frame) bridge_->Send(p.frame);
        }
        connected_ = false;
    }

    void SendRaw(const void* data, size_t size) {
        std::lock_guard lock(sendMutex_);
        if (fd_ < 0) return;
        if (send(fd_, data, size, MSG_NOSIGNAL) < 0) connected_ = false;
    }
    void SendFrame(const BusFrame& f) {
        const auto packet = EncodeSimBusFrame(f);
        SendRaw(packet.data(), packet.size());
    }
    void SendControl(const std::string& text) { SendRaw(text.data(), text.size()); }

    std::string path_;
    std::shared_ptr<VirtualEndpoint> bridge_;
    std::mutex sendMutex_;
    int fd_ = -1;
    std::atomic<bool> connected_{false};
    std::thread receiver_;
};
}  // namespace

std::shared_ptr<AbstractCanInterface> CreateSimBusInterface(const std::string& path, std::string&) {
    return std::make_shared<SimBusCanInterface>(path);
}
