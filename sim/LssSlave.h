#pragma once
// LSS slave (CiA 305) on 0x7E5 / 0x7E4: switch state global and selective, configure node id
// and bit timing, activate bit timing, store configuration, inquire identity and node id,
// identify remote slave and identify non-configured remote slave. Plain protocol code.

#include <cstdint>
#include <functional>
#include <optional>

#include "BusFrame.h"

constexpr uint32_t kLssMasterId = 0x7E5;
constexpr uint32_t kLssSlaveId = 0x7E4;
constexpr uint8_t kLssUnconfigured = 0xFF;

struct LssIdentity {
    uint32_t vendorId = 0;
    uint32_t productCode = 0;
    uint32_t revision = 0;
    uint32_t serial = 0;
};

// What the slave sees of its device and may change.
struct LssContext {
    LssIdentity identity;
    uint8_t activeNodeId = kLssUnconfigured;
    uint8_t pendingNodeId = kLssUnconfigured;  // set by configure node id
    int pendingBitIndex = 0;                    // set by configure bit timing (table index)
    // Persists the pending node id and bit rate: 0 success, 1 not supported, 2 storage error.
    std::function<uint8_t()> store;
};

struct LssOutcome {
    std::optional<BusFrame> answer;
    bool activateBitTiming = false;  // switch to the pending bit rate after `switchDelayMs`
    uint16_t switchDelayMs = 0;
    bool switchedToWaiting = false;  // switch state global to waiting
};

class LssSlave {
public:
    LssOutcome Handle(const BusFrame& request, LssContext& context);
    bool InConfiguration() const { return configuration_; }
    void Reset();

private:
    bool configuration_ = false;
    int selectStep_ = 0;    // 0x40..0x43 matched so far
    int identifyStep_ = 0;  // 0x46..0x4B matched so far
};
