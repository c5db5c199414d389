#pragma once
// The texts the main window's CAN status label shows for a driver status value.

#include <cstdint>
#include <string>

#include "Ports.h"

// "Channel active", "Send buffer is full", "Overflow", "ErrorCounter at limit", "Bus Off" and
// "not used" for the values 0 to 16; larger values as "0x%X".
std::string CanStatusText(uint32_t status);
// The label colour for a status value: green when good, red for bus off and lost hardware,
// yellow otherwise.
StatusColor CanStatusColor(uint32_t status);
