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
