#include "CanStatusText.h"

#include <array>
#include <cstdio>

#include "PcanBasicAbi.h"

std::string CanStatusText(uint32_t status) {
    static constexpr std::array<const char*, 17> kTexts = {
        "Channel active", "Send buffer is full",   "Overflow", "not used", "ErrorCounter at limit", "not used",
        "not used",       "not used",              "ErrorCounter at limit", "not used", "not used", "not used",
        "not used",       "not used",              "not used", "not used", "Bus Off",
    };
    if (status < kTexts.size()) return kTexts[status];
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(status));
    return text;
}

StatusColor CanStatusColor(uint32_t status) {
    if (status == PCAN_ERROR_OK) return StatusColor::Green;
    if (status == PCAN_ERROR_BUSOFF || status == PCAN_ERROR_ILLHW || status == PCAN_ERROR_NODRIVER)
        return StatusColor::Red;
    return StatusColor::Yellow;
}

uint32_t StatusWordOf(const DriverFrame& frame) {
    return static_cast<uint32_t>(frame.data[0]) << 24 | static_cast<uint32_t>(frame.data[1]) << 16 |
           static_cast<uint32_t>(frame.data[2]) << 8 | frame.data[3];
}

DriverFrame StatusFrameFor(uint32_t word) {
    DriverFrame d;
    d.msgType = DRIVER_MSGTYPE_STATUS;
    d.len = 4;
    d.data = {static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 8),
              static_cast<uint8_t>(word), 0, 0, 0, 0};
    return d;
}
