#include "TraceTexts.h"

#include <cstdio>

std::string TraceTimeText(uint64_t elapsedUs) {
    const uint64_t ms = elapsedUs / 1000;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02llu:%02u:%03u", static_cast<unsigned long long>(ms / 60000),
                  static_cast<unsigned>(ms / 1000 % 60), static_cast<unsigned>(ms % 1000));
    return buf;
}

std::string TraceKey(uint32_t id, uint32_t dlc) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "ID:%03x  LEN:%u  ", id, dlc);
    return buf;
}

std::string TraceDataText(const tagOPEN_Message& msg) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    const uint32_t n = msg.dlc > 8 ? 8 : msg.dlc;
    for (uint32_t i = 0; i < n; ++i) {
        out += kHex[msg.data[i] >> 4];
        out += kHex[msg.data[i] & 0xF];
        out += ' ';
    }
    return out;
}

std::string TraceReceiveLine(const std::string& time, int32_t number, const tagOPEN_Message& msg) {
    char buf[48];
    std::snprintf(buf, sizeof buf, " %6d  ", number);
    return time + buf + TraceKey(msg.id, msg.dlc) + TraceDataText(msg);
}

std::string TraceSendLine(const std::string& time, const tagOPEN_Message& msg) {
    if (msg.rtr) return time + "      R  " + TraceKey(msg.id, msg.dlc);
    return time + "      T  " + TraceKey(msg.id, msg.dlc) + TraceDataText(msg);
}

std::string TraceNmtLine(const std::string& time, uint8_t specifier, uint8_t node) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "      T  ID:%03x  LEN:%d  %02x %02x", 0, 2, specifier, node);
    return time + buf;
}
