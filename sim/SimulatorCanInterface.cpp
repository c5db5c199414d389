#include "SimulatorCanInterface.h"

SimulatorCanInterface::SimulatorCanInterface(std::shared_ptr<VirtualBus> bus, const EncoderOptions& options)
    : VirtualCanInterface(bus, "Simulated encoder"), encoder_(std::make_unique<SimEncoder>(bus, options)) {}

// The device goes before the channel it talks to.
SimulatorCanInterface::~SimulatorCanInterface() { encoder_.reset(); }

uint32_t SimulatorCanInterface::GetApiVersion(std::string& text) {
    text = "Quarzel simulated encoder 1.0";
    return 0;
}
