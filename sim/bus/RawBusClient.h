#pragma once
// A bare client of the simulator bus socket, as any tool would write it: packets in and out.
// Linux only (tests, benchmarks and small tools).

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "SimBusProtocol.h"
#include "UnixSeqPacket.h"

class RawBusClient {
public:
    explicit RawBusClient(const std::string& path) { fd_ = ConnectSeqPacket(path, error_); }
    ~RawBusClient() { Close(); }
    RawBusClient(const RawBusClient&) = delete;
    RawBusClient& operator=(const RawBusClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    bool SendBytes(const std::string& bytes) { return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) >= 0; }
    bool SendFrame(const BusFrame& f) {
        const auto p = EncodeSimBusFrame(f);
        return SendBytes(std::string(p.begin(), p.end()));
    }
    // The next frame, waiting at most `limitMs` (a bound against hangs, not a timing check).
    std::optional<BusFrame> Receive(int limitMs = 5000) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, limitMs) <= 0) return std::nullopt;
        std::array<uint8_t, 64> buf;
        const ssize_t n = recv(fd_, buf.data(), buf.size(), 0);
        if (n <= 0) return std::nullopt;
        const auto packet = DecodeSimBusPacket(std::span<const uint8_t>(buf.data(), static_cast<size_t>(n)));
        if (packet.kind != SimBusPacket::Kind::Frame) return std::nullopt;
        return packet.frame;
    }
    std::string ReceiveText(int limitMs = 5000) {
        auto f = Receive(limitMs);
        return f ? FormatFrameForLog(*f) : std::string("nothing");
    }

private:
    int fd_ = -1;
    std::string error_;
};
