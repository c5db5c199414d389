#pragma once
// A frame as it travels on the virtual bus (and through quarzel-sim's socket).

#include <array>
#include <cstdint>

struct BusFrame {
    uint32_t id = 0;  // 11-bit (or 29-bit) identifier without flags
    bool rtr = false;
    uint8_t len = 0;  // 0..8; a remote frame keeps its requested length
    std::array<uint8_t, 8> data{};
    uint64_t timeUs = 0;      // TimeSource time at delivery
    uint32_t statusWord = 0;  // non-zero: a driver status frame (bus light, off, overrun ...)
};

// Bits a classic CAN frame with an 11-bit identifier occupies on the wire, stuff bits and
// the 3-bit interframe space included.
uint32_t CanFrameBitLength(const BusFrame& frame);
