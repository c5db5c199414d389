#pragma once
// Driver status values: the texts the main window's CAN status label shows for them, and the
// status frames that carry them.

#include <cstdint>
#include <string>

#include "CanMessage.h"
#include "Ports.h"

// "Channel active", "Send buffer is full", "Overflow", "ErrorCounter at limit", "Bus Off" and
// "not used" for the values 0 to 16; larger values as "0x%X".
std::string CanStatusText(uint32_t status);
// The label colour for a status value: green when good, red for bus off and lost hardware,
// yellow otherwise.
StatusColor CanStatusColor(uint32_t status);

// The status word of a status frame: data bytes 0 to 3, big-endian.
uint32_t StatusWordOf(const DriverFrame& frame);
// A status frame carrying `word`.
DriverFrame StatusFrameFor(uint32_t word);
