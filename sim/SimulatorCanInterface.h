#pragma once
// The station's channel to a simulated encoder in the same process: a virtual channel on a bus
// that carries the encoder, which lives as long as the interface.

#include <memory>

#include "SimEncoder.h"
#include "VirtualCanInterface.h"

class SimulatorCanInterface final : public VirtualCanInterface {
public:
    SimulatorCanInterface(std::shared_ptr<VirtualBus> bus, const EncoderOptions& options);
    ~SimulatorCanInterface() override;

    std::string KindName() const override { return "sim"; }
    uint32_t GetApiVersion(std::string& text) override;
    SimEncoder& Encoder() { return *encoder_; }

private:
    std::unique_ptr<SimEncoder> encoder_;
};
