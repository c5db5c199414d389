#pragma once
// The Hardware menu: every channel of every interface kind as an entry "%s, HW-ID 0x%02X",
// tagged with its list position, the current one marked; choosing an entry switches to it and
// keeps its hardware ID for the configuration file.

#include <string>
#include <vector>

struct HardwareEntry {
    std::string caption;  // "<channel name>, HW-ID 0x%02X"
    int tag = 0;          // position in the hardware list
    bool current = false;
};

// Lists the channels anew.
std::vector<HardwareEntry> ListHardwareEntries();

// Lists the channels again and switches to the entry `tag`, provided it still shows `caption`
// (the list may have changed since the menu was opened). On success "[CAN_TREIBER_HWID]" becomes
// "0x%02X" of its hardware ID. False when the entry is gone or the switch failed.
bool ChooseHardwareEntry(int tag, const std::string& caption);
