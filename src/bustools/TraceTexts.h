#pragma once
// The line texts of the trace window and the bus test.

#include <cstdint>
#include <string>

#include "CanMessage.h"

// Time since the reference: "%02d:%02d:%03d" of minutes (not wrapped at 60), seconds and
// milliseconds.
std::string TraceTimeText(uint64_t elapsedUs);

// "ID:%03x  LEN:%d  ": the key of a frame's line in fixed-position mode.
std::string TraceKey(uint32_t id, uint32_t dlc);
// "%02x " for each of the first `dlc` data bytes (at most 8).
std::string TraceDataText(const tagOPEN_Message& msg);

// A received frame: "%s %6d  ID:%03x  LEN:%d  " + data.
std::string TraceReceiveLine(const std::string& time, int32_t number, const tagOPEN_Message& msg);
// A frame the station sends: "%s      R  ID:%03x  LEN:%d  " (remote) or
// "%s      T  ID:%03x  LEN:%d  " + data.
std::string TraceSendLine(const std::string& time, const tagOPEN_Message& msg);
// The line of an NMT command the window sends: "%s      T  ID:%03x  LEN:%d  %02x %02x".
std::string TraceNmtLine(const std::string& time, uint8_t specifier, uint8_t node);
