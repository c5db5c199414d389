#include "ProtocolLine.h"

#include <cstdio>

const char* StatusText(uint32_t status) {
    switch (status) {
        case STATUS_OK: return "ok";
        case STATUS_ERR_SYN: return "Err Syn";
        case STATUS_SDO_ERROR: return "SDO Error";
        case STATUS_ERR_ANS: return "Err Ans";
        case STATUS_LSS_ERROR: return "LSS Error";
        case STATUS_ERR_NMT: return "Err_NMT";
        default: return "";
    }
}

bool IsErrorStatus(uint32_t status) {
    return status == STATUS_ERR_SYN || status == STATUS_SDO_ERROR || status == STATUS_ERR_ANS ||
           status == STATUS_LSS_ERROR || status == STATUS_ERR_NMT;
}

void FormatMessageColumns(ProtocolLine& line, uint32_t id, uint32_t length,
                          const std::array<uint8_t, 8>& data) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03x", id);
    line.idText = buf;
    std::snprintf(buf, sizeof buf, "%x", length);
    line.dlcText = buf;
    for (size_t i = 0; i < 8; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", data[i]);
        line.dataText[i] = buf;
    }
}

void FormatMessageColumns(ProtocolLine& line, uint32_t id, uint32_t length, uint32_t dataLow,
                          uint32_t dataHigh) {
    std::array<uint8_t, 8> data{};
    for (unsigned i = 0; i < 4; ++i) {
        data[i] = static_cast<uint8_t>(dataLow >> (8 * i));
        data[i + 4] = static_cast<uint8_t>(dataHigh >> (8 * i));
    }
    FormatMessageColumns(line, id, length, data);
}

void ClearProtocolLine(ProtocolLine& line) {
    line.idText.clear();
    line.dlcText.clear();
    line.valueText.clear();
}

std::string FormatElapsed(const HrTime& start, const HrTime& now) {
    const uint64_t s = start.TotalMicroseconds(), n = now.TotalMicroseconds();
    const uint64_t totalMs = n > s ? (n - s) / 1000u : 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02llu:%02llu:%03llu",
                  static_cast<unsigned long long>(totalMs / 1000 / 60),
                  static_cast<unsigned long long>(totalMs / 1000 % 60),
                  static_cast<unsigned long long>(totalMs % 1000));
    return buf;
}
