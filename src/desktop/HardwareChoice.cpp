#include "HardwareChoice.h"

#include <cstdio>

#include "CNumber.h"
#include "CanChannel.h"
#include "CanHardware.h"
#include "Configuration.h"

namespace {
std::string HexId(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", id);
    return text;
}

std::string Caption(const CanChannelInfo& info) { return info.hardwareName + ", HW-ID " + HexId(info.deviceNumber); }

bool IsCurrent(const CanChannelInfo& info) {
    const auto current = CanCurrentInterface();
    if (!current || !info.owner) return false;
    if (info.owner == current) return true;
    const auto configured = ParseCNumber(AppConfiguration().Value("[CAN_TREIBER_HWID]"));
    return info.owner->KindName() == current->KindName() && configured && *configured == info.deviceNumber;
}
}  // namespace

std::vector<HardwareEntry> ListHardwareEntries() {
    std::vector<CanChannelInfo> list;
    CanGetHardwareList(list, true);
    std::vector<HardwareEntry> entries;
    for (size_t k = 0; k < list.size(); ++k)
        entries.push_back({Caption(list[k]), static_cast<int>(k), IsCurrent(list[k])});
    return entries;
}

bool ChooseHardwareEntry(int tag, const std::string& caption) {
    std::vector<CanChannelInfo> list;
    CanGetHardwareList(list, true);
    if (tag < 0 || static_cast<size_t>(tag) >= list.size()) return false;
    const CanChannelInfo& entry = list[static_cast<size_t>(tag)];
    if (Caption(entry) != caption) return false;
    if (!CanSelectHardware(entry.handleRef)) return false;
    AppConfiguration().SetValue("[CAN_TREIBER_HWID]", HexId(entry.deviceNumber));
    return true;
}
