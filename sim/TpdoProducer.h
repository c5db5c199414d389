#pragma once
// One transmit PDO (CiA 301): its communication parameters (0x18xx: COB-ID, transmission
// type, inhibit time, event timer) and its mapping (0x1Axx) live in the object dictionary;
// this class builds the frame and keeps the counters and times of its transmission.

#include <cstdint>
#include <limits>
#include <optional>

#include "BusFrame.h"
#include "ObjectDictionary.h"

class TpdoProducer {
public:
    TpdoProducer(uint16_t commIndex, uint16_t mapIndex) : comm_(commIndex), map_(mapIndex) {}

    uint32_t CobId(const ObjectDictionary& od) const { return od.GetU32(comm_, 1) & 0x7FF; }
    bool Valid(const ObjectDictionary& od) const { return !(od.GetU32(comm_, 1) & 0x80000000u); }
    bool RemoteAllowed(const ObjectDictionary& od) const { return !(od.GetU32(comm_, 1) & 0x40000000u); }
    uint8_t Type(const ObjectDictionary& od) const { return static_cast<uint8_t>(od.GetU32(comm_, 2)); }
    uint64_t InhibitUs(const ObjectDictionary& od) const { return od.GetU32(comm_, 3) * 100ull; }
    uint32_t EventTimerMs(const ObjectDictionary& od) const { return od.GetU32(comm_, 5); }
    // Asynchronous: sent on its timer or on each change (types 254 and 255).
    bool Asynchronous(const ObjectDictionary& od) const { return Type(od) >= 254; }

    // The frame with the mapped values as they are in the dictionary now.
    std::optional<BusFrame> Build(const ObjectDictionary& od) const;
    // Counts a Sync; true when the PDO is due (every n-th Sync for types 1..240; for type 0
    // when the data changed since the last transmission).
    bool OnSync(const ObjectDictionary& od);
    // Notes a transmission.
    void Sent(const BusFrame& frame, uint64_t nowUs);
    // Forgets counters and times (reset communication, entering operational).
    void Restart();

    uint64_t cyclicDueUs = std::numeric_limits<uint64_t>::max();
    uint64_t lastSentUs = 0;
    bool sentOnce = false;
    uint64_t lastEventStep = 0;

private:
    uint16_t comm_;
    uint16_t map_;
    uint32_t syncCount_ = 0;
    std::optional<BusFrame> lastFrame_;
};
