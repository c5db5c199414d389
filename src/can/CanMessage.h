#pragma once
// One CAN frame as the whole station exchanges it, and the channel's result codes.

#include <array>
#include <cstdint>

#include "HrTime.h"

// Channel result codes of the reading operations.
enum : uint32_t {
    CAN_RESULT_ONE = 0,             // exactly one frame (waits: the awaited frame arrived)
    CAN_RESULT_NONE = 0x1000,       // no frame, time-out
    CAN_RESULT_SEVERAL = 0x2000,    // more than one frame; the record holds the last
    CAN_RESULT_NO_CHANNEL = 0x3000  // no interface, no handle, or channel not open
};

enum : uint8_t { CAN_DIR_NONE = 0, CAN_DIR_RX = 1, CAN_DIR_TX = 2 };

struct tagOPEN_Message {
    uint8_t direction = CAN_DIR_NONE;
    uint32_t id = 0;
    uint32_t dlc = 0;
    std::array<uint8_t, 8> data{};
    uint32_t rxCount = 0;
    bool rtr = false;
    HrTime hostTime;
    uint64_t timestamp = 0;  // driver reception time stamp, µs
};

// Message types of the driver-side frame.
enum : uint8_t { DRIVER_MSGTYPE_STANDARD = 0, DRIVER_MSGTYPE_RTR = 1, DRIVER_MSGTYPE_STATUS = 0x80 };

// The channel's intermediate form next to the driver.
struct DriverFrame {
    uint32_t id = 0;
    uint8_t msgType = DRIVER_MSGTYPE_STANDARD;
    uint8_t len = 0;
    std::array<uint8_t, 8> data{};
    uint64_t timeUs = 0;
    bool remote = false;
};

// Record -> driver frame, as used by writes: remote frames get type 1 and length 0, data
// bytes at and above the length are zero. A length above 8 is cut to 8.
DriverFrame ToDriverFrameFromMessage(const tagOPEN_Message& msg);
// Driver frame -> record, as used by reads: a remote frame gets dlc 0 and zero data.
// Only id, dlc, data, rtr and timestamp are set.
void MessageFromDriverFrame(tagOPEN_Message& msg, const DriverFrame& frame);
