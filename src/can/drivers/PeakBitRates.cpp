#include "PeakBitRates.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array<PeakBitRate, 10> kBitRates = {{
    {1000, 0x0014},
    {800, 0x0016},
    {500, 0x001C},
    {250, 0x011C},
    {125, 0x031C},
    {100, 0x432F},
    {50, 0x472F},
    {20, 0x532F},
    {10, 0x672F},
    {5, 0x7F7F},
}};

constexpr std::array<uint16_t, 59> BuildHandleTable() {
    std::array<uint16_t, 59> t{};
    size_t n = 0;
    for (uint16_t h = 0x21; h <= 0x28; ++h) t[n++] = h;  // ISA
    t[n++] = 0x31;                                       // dongle
    for (uint16_t h = 0x41; h <= 0x48; ++h) t[n++] = h;  // PCI 1-8
    for (uint16_t h = 0x409; h <= 0x410; ++h) t[n++] = h;  // PCI 9-16
    for (uint16_t h = 0x51; h <= 0x58; ++h) t[n++] = h;  // USB 1-8
    for (uint16_t h = 0x509; h <= 0x510; ++h) t[n++] = h;  // USB 9-16
    t[n++] = 0x61;                                       // PC card
    t[n++] = 0x62;
    for (uint16_t h = 0x801; h <= 0x810; ++h) t[n++] = h;  // LAN
    return t;
}
constexpr std::array<uint16_t, 59> kHandles = BuildHandleTable();
static_assert(kHandles.back() == 0x810);
}  // namespace

std::span<const PeakBitRate> PeakBitRateTable() { return kBitRates; }

uint16_t PeakBitTimingCode(int64_t kbit) {
    for (const auto& r : kBitRates)
        if (static_cast<int64_t>(r.kbit) == kbit) return r.code;
    return 0;
}

std::span<const uint16_t> PeakChannelHandleTable() { return kHandles; }

bool IsPeakChannelHandle(uint32_t handle) {
    return std::find(kHandles.begin(), kHandles.end(), handle) != kHandles.end();
}
