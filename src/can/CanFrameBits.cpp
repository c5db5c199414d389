#include <vector>

#include "BusFrame.h"

namespace {
uint16_t Crc15(const std::vector<uint8_t>& bits) {
    uint16_t crc = 0;
    for (uint8_t bit : bits) {
        const bool crcNext = bit ^ ((crc >> 14) & 1);
        crc = static_cast<uint16_t>((crc << 1) & 0x7FFF);
        if (crcNext) crc ^= 0x4599;
    }
    return crc;
}

void PushBits(std::vector<uint8_t>& bits, uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bits.push_back(static_cast<uint8_t>((value >> i) & 1));
}
}  // namespace

uint32_t CanFrameBitLength(const BusFrame& frame) {
    std::vector<uint8_t> bits;
    bits.reserve(128);
    bits.push_back(0);                  // SOF
    PushBits(bits, frame.id & 0x7FF, 11);
    bits.push_back(frame.rtr ? 1 : 0);  // RTR
    bits.push_back(0);                  // IDE
    bits.push_back(0);                  // r0
    const uint32_t len = frame.len > 8 ? 8 : frame.len;
    PushBits(bits, len, 4);
    if (!frame.rtr)
        for (uint32_t i = 0; i < len; ++i) PushBits(bits, frame.data[i], 8);
    PushBits(bits, Crc15(bits), 15);
    // Stuff bits: after five equal bits one opposite bit, from SOF to the end of the CRC.
    uint32_t stuffed = 0;
    int run = 0;
    uint8_t last = 2;
    for (uint8_t b : bits) {
        if (b == last) {
            ++run;
        } else {
            last = b;
            run = 1;
        }
        if (run == 5) {
            ++stuffed;
            last = static_cast<uint8_t>(!b);
            run = 1;
        }
    }
    // CRC delimiter, ACK slot, ACK delimiter, 7 EOF, 3 interframe space.
    return static_cast<uint32_t>(bits.size()) + stuffed + 1 + 1 + 1 + 7 + 3;
}
