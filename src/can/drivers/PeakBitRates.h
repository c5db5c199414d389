#pragma once
// The PCAN adapter's fixed tables: bit rates with their bit-timing codes, and the library
// handles probed when looking for channels.

#include <cstdint>
#include <span>

struct PeakBitRate {
    uint32_t kbit;
    uint16_t code;
};

// kbit/s -> bit-timing code, in search order (1000 down to 5 kbit/s).
std::span<const PeakBitRate> PeakBitRateTable();
// The code for `kbit`, or 0 when the rate is not in the table.
uint16_t PeakBitTimingCode(int64_t kbit);
// The bit-timing code the adapter uses when nothing has chosen a rate yet (20 kbit/s).
constexpr uint16_t kPeakDefaultBitTimingCode = 0x532F;

// The library handles probed during discovery, in probing order (59 handles).
std::span<const uint16_t> PeakChannelHandleTable();
bool IsPeakChannelHandle(uint32_t handle);
