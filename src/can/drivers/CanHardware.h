#pragma once
// Creating the station's CAN interface from the configuration, listing the channels of every
// interface kind for the Hardware menu, and switching to a listed channel.
//
// Hardware list entries: `handleRef` is unique within the list and never 0. A PCAN channel's
// entry carries its library handle (0x21 ... 0x810); entries of other kinds get numbers from
// 0x10000 up. Each entry's `owner` is an interface already bound to that channel (its handle
// object names the channel), so choosing the entry activates the owner's own handle. A kind
// that lists channels (CanInterfaceKind::listChannels) must hand out entries bound that way.

#include <cstdint>
#include <vector>

#include "CanInterface.h"

// Start-up: replaces the current interface by one of the kind "[CAN_TREIBER_TYP]" names,
// looks for the channel with `deviceNumber` (PCAN: probing `channelHandle` first) and opens it.
// False when the kind is unknown (the operator is told), the channel is not found (no
// interface is current then) or it cannot be opened.
bool CanCreateInterface(uint32_t deviceNumber, uint32_t channelHandle);

// Fills `list` with the hardware list. With `refresh` the list is built anew from every
// registered kind (replacing the previous one) and the result tells whether any channel was
// found; without it the list as it stands is handed out and the result is true.
bool CanGetHardwareList(std::vector<CanChannelInfo>& list, bool refresh);

// Switches to the listed entry with `handleRef`: the previous interface's channel is closed
// (unless the entry belongs to the same interface), the entry's interface becomes current and
// its channel is activated. False for 0, an unknown reference, or when activation fails.
bool CanSelectHardware(uint32_t handleRef);
