#include "ConverterRequest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string EncodeConverterRequest(uint8_t command, std::initializer_list<ConverterParam> params) {
    std::string bytes;
    bytes.push_back('\x02');
    bytes.push_back(static_cast<char>(command));
    for (const ConverterParam& p : params) {
        const int n = p.bytes >= 1 && p.bytes <= 8 ? p.bytes : 1;
        char digits[24];
        std::snprintf(digits, sizeof digits, "%0*llx", 2 * n, static_cast<unsigned long long>(p.value));
        bytes += digits;
        bytes.push_back('\r');
    }
    bytes.push_back('\r');
    return bytes;
}

bool IsConfirmation(std::string_view answer, uint8_t command) {
    char expected[4];
    std::snprintf(expected, sizeof expected, "%02x", command);
    return answer.size() == 3 && answer.substr(0, 2) == expected && answer[2] == '\r';
}

std::optional<uint32_t> AnswerNumber(std::string_view answer, size_t crAt) {
    if (answer.size() <= crAt || answer[crAt] != '\r' || crAt == 0 || crAt > 8) return std::nullopt;
    uint32_t value = 0;
    for (size_t k = 0; k < crAt; ++k) {
        const char c = answer[k];
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
        else return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::optional<uint32_t> AnalogValue(double volts) {
    if (!(volts >= -10.0 && volts <= 10.0)) return std::nullopt;
    // -10 V would be 4096, one past the 12 bits: the nearest value the output has.
    const double value = std::trunc(-(volts - 10.0) / 0.0048828125);
    return static_cast<uint32_t>(std::min(value, 4095.0));
}

double MotorVolts(double rpm, bool counterClockwise) { return (counterClockwise ? -1.0 : 1.0) * rpm * 0.003; }
