#pragma once
// Fault switches of the simulated encoder, one set per service, and the filter that applies
// them to the frames the device sends.
//
// Text form (one switch; several are separated by commas):
//   SERVICE.silent          never send the service's frames
//   SERVICE.late:MS         send them MS milliseconds late
//   SERVICE.wrongid         send them on the identifier + 1
//   SERVICE.wrongdata       flip the lowest bit of the service's first payload byte
//   SERVICE.wronglen:N      send them with data length N (0..8)
//   SERVICE.drop:N          drop every N-th of them
//   sdo.toggle              segment answers carry the wrong toggle bit
//   sdo.abort:IIII:SS:CODE  abort every access to object IIII sub SS with CODE (all hexadecimal)
//   store.fail              storing parameters fails ("data cannot be stored")
//   shaft.skip:N  shaft.repeat:N  shaft.jump:N:J   a step fault of the shaft
// SERVICE is one of boot, heartbeat, guard, emcy, sdo, lss, pdo, wprog.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BusFrame.h"
#include "Shaft.h"

enum class SimService : uint8_t { Boot, Heartbeat, Guard, Emcy, Sdo, Lss, Pdo, WProg };
constexpr size_t kSimServiceCount = 8;

const char* SimServiceName(SimService service);

struct ServiceFault {
    bool silent = false;
    uint32_t lateMs = 0;
    bool wrongId = false;
    bool wrongData = false;
    int wrongLength = -1;  // -1: unchanged
    uint32_t dropEvery = 0;
};

struct ObjectAbortFault {
    uint16_t index = 0;
    uint8_t sub = 0;
    uint32_t code = 0;
};

struct FaultSwitches {
    std::array<ServiceFault, kSimServiceCount> service{};
    bool sdoWrongToggle = false;
    std::vector<ObjectAbortFault> objectAborts;
    bool storeFails = false;
    ShaftFault shaft;

    const ServiceFault& Of(SimService s) const { return service[static_cast<size_t>(s)]; }
    ServiceFault& Of(SimService s) { return service[static_cast<size_t>(s)]; }
    // The abort code configured for an object, 0 when none.
    uint32_t AbortFor(uint16_t index, uint8_t sub) const;
};

// Adds the switches of `text` (comma-separated); false with `error` set on a bad switch.
bool ParseFaultSwitches(std::string_view text, FaultSwitches& faults, std::string& error);

// Applies the service faults to outgoing frames.
class FaultFilter {
public:
    // The frame as the faults make it and the delay to send it with; nullopt when dropped.
    std::optional<BusFrame> Apply(SimService service, BusFrame frame, const FaultSwitches& faults,
                                  uint32_t& delayMs);

private:
    std::array<uint64_t, kSimServiceCount> counters_{};
};
