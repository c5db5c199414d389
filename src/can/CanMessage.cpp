#include "CanMessage.h"

#include <algorithm>

DriverFrame ToDriverFrameFromMessage(const tagOPEN_Message& msg) {
    DriverFrame f;
    f.id = msg.id;
    f.remote = msg.rtr;
    if (msg.rtr) {
        f.msgType = DRIVER_MSGTYPE_RTR;
        f.len = 0;
    } else {
        f.msgType = DRIVER_MSGTYPE_STANDARD;
        f.len = static_cast<uint8_t>(std::min<uint32_t>(msg.dlc, 8));
        for (size_t i = 0; i < f.data.size(); ++i) f.data[i] = i < f.len ? msg.data[i] : 0;
    }
    return f;
}

void MessageFromDriverFrame(tagOPEN_Message& msg, const DriverFrame& frame) {
    msg.rtr = frame.remote;
    msg.id = frame.id;
    msg.timestamp = frame.timeUs;
    const uint32_t len = std::min<uint32_t>(frame.len, 8);
    msg.dlc = frame.remote ? 0 : len;
    for (size_t i = 0; i < msg.data.size(); ++i) msg.data[i] = i < msg.dlc ? frame.data[i] : 0;
}
