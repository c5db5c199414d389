#include "SimBusServer.h"

struct SimBusServer::Impl {};

SimBusServer::SimBusServer(std::shared_ptr<VirtualBus>, Options, LogFn) : impl_(std::make_unique<Impl>()) {}
SimBusServer::~SimBusServer() = default;

bool SimBusServer::Start(std::string& error) {
    error = "the simulator bus needs Unix-domain SOCK_SEQPACKET sockets, which this platform does not offer";
    return false;
}

void SimBusServer::Run() {}
void SimBusServer::Stop() {}
size_t SimBusServer::ClientCount() const { return 0; }
uint64_t SimBusServer::RejectedPackets() const { return 0; }
uint64_t SimBusServer::DroppedFrames() const { return 0; }
