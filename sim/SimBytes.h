#pragma once
// Little-endian field access and frame building for the simulated devices' protocol code.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "BusFrame.h"

inline uint16_t GetLe16(const std::array<uint8_t, 8>& d, size_t at) {
    return static_cast<uint16_t>(d[at] | (d[at + 1] << 8));
}

inline uint32_t GetLe32(const std::array<uint8_t, 8>& d, size_t at) {
    return static_cast<uint32_t>(d[at]) | (static_cast<uint32_t>(d[at + 1]) << 8) |
           (static_cast<uint32_t>(d[at + 2]) << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}

inline void PutLe16(std::array<uint8_t, 8>& d, size_t at, uint16_t v) {
    d[at] = static_cast<uint8_t>(v);
    d[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void PutLe32(std::array<uint8_t, 8>& d, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The little-endian bytes of an unsigned value, `size` bytes long.
inline std::string LeBytes(uint64_t value, size_t size) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// The unsigned value of up to eight little-endian bytes.
inline uint64_t FromLeBytes(const std::string& bytes) {
    uint64_t v = 0;
    for (size_t i = 0; i < bytes.size() && i < 8; ++i)
        v |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
    return v;
}

inline BusFrame MakeFrame(uint32_t id, std::initializer_list<uint8_t> data) {
    BusFrame f;
    f.id = id;
    size_t i = 0;
    for (uint8_t b : data) {
        if (i >= f.data.size()) break;
        f.data[i++] = b;
    }
    f.len = static_cast<uint8_t>(i);
    return f;
}

inline BusFrame MakeRemoteFrame(uint32_t id, uint8_t len = 0) {
    BusFrame f;
    f.id = id;
    f.rtr = true;
    f.len = len > 8 ? 8 : len;
    return f;
}
