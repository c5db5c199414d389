#pragma once
// quarzel-sim's bus socket: every client of the Unix-domain SOCK_SEQPACKET socket is an
// endpoint on a virtual bus (at every bit rate until it names one), so the simulated devices
// on that bus and all clients exchange frames. Linux only; elsewhere Start reports that.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "VirtualBus.h"

class SimBusServer {
public:
    using LogFn = std::function<void(const std::string& line)>;
    struct Options {
        std::string path;
        size_t maxClients = 64;
        bool logFrames = false;  // log every frame a client sends
    };

    SimBusServer(std::shared_ptr<VirtualBus> bus, Options options, LogFn log = {});
    ~SimBusServer();  // closes every client and removes the socket
    SimBusServer(const SimBusServer&) = delete;
    SimBusServer& operator=(const SimBusServer&) = delete;

    bool Start(std::string& error);
    // Serves until Stop; returns at once when not started.
    void Run();
    // Ends Run; safe from any thread and from a signal handler.
    void Stop();

    size_t ClientCount() const;
    uint64_t RejectedPackets() const;
    // Frames not delivered because a client's socket was full.
    uint64_t DroppedFrames() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
