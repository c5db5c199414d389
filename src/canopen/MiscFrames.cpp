#include "MiscFrames.h"

#include <algorithm>
#include <cstdio>

#include "CanChannel.h"

std::string FormatValue(const char* format, uint32_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

tagOPEN_Message MakeDataFrame(uint32_t id, uint32_t dlc, const std::array<uint8_t, 8>& data) {
    tagOPEN_Message msg;
    msg.id = id;
    msg.dlc = std::min<uint32_t>(dlc, 8);
    msg.data = data;
    return msg;
}

tagOPEN_Message MakeRemoteFrame(uint32_t id) {
    tagOPEN_Message msg;
    msg.id = id;
    msg.dlc = 0;
    msg.rtr = true;
    return msg;
}

void ShowFrame(ProtocolLine& line, const tagOPEN_Message& msg) {
    FormatMessageColumns(line, msg.id, std::min<uint32_t>(msg.dlc, 8), msg.data);
}

bool SendAndShow(ProtocolLine& line, tagOPEN_Message& msg) {
    line.transmit = true;
    ShowFrame(line, msg);
    line.rowTime = HrTimeNow();
    return CanWrite(&msg);
}

bool ReadLastAnswer(tagOPEN_Message& msg) {
    msg = tagOPEN_Message{};
    const uint32_t rc = CanRead(&msg);
    if (rc != CAN_RESULT_ONE && rc != CAN_RESULT_SEVERAL) return false;
    msg.dlc = std::min<uint32_t>(msg.dlc, 8);
    return true;
}

bool ExpectsNone(const TestInstruction& instruction) { return instruction.expectedId == "None"; }

bool ExpectsAny(const TestInstruction& instruction) { return instruction.expectedId == "Any"; }
