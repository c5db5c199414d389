#include "ConverterDevice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr char kStx = 0x02;
constexpr char kCr = 0x0D;

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", value & 0xFFu);
    return text;
}

// A parameter token: hexadecimal digits only.
std::optional<uint64_t> ParseHex(std::string_view token) {
    if (token.empty() || token.size() > 16) return std::nullopt;
    uint64_t value = 0;
    for (char c : token) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return value;
}

std::string OnOff(uint64_t state) { return state ? "on" : "off"; }
}  // namespace

std::string ConverterDevice::Receive(std::string_view bytes, std::vector<std::string>* log) {
    pending_.append(bytes);
    std::string out;
    for (;;) {
        // Bytes before the start byte are noise.
        const size_t start = pending_.find(kStx);
        if (start == std::string::npos) {
            pending_.clear();
            break;
        }
        pending_.erase(0, start);
        if (pending_.size() < 3) break;
        // Tokens end with CR; an empty token ends the request.
        std::vector<std::string_view> tokens;
        size_t at = 2;
        bool complete = false;
        while (at < pending_.size()) {
            const size_t cr = pending_.find(kCr, at);
            if (cr == std::string::npos) break;
            if (cr == at) {
                complete = true;
                ++at;
                break;
            }
            tokens.emplace_back(pending_.data() + at, cr - at);
            at = cr + 1;
        }
        if (!complete) break;
        const uint8_t command = static_cast<uint8_t>(pending_[1]);
        requests_.push_back(pending_.substr(1, at - 1));
        std::vector<uint64_t> params;
        bool wellFormed = true;
        for (std::string_view token : tokens) {
            const auto value = ParseHex(token);
            if (!value) wellFormed = false;
            params.push_back(value.value_or(0));
        }
        pending_.erase(0, at);

        std::string line = "command " + Hex2(command);
        std::string answer;
        if (!wellFormed) {
            answer = "!fe";
            line += ": parameter is not hexadecimal";
        } else {
            answer = Answer(command, params, line);
        }
        const bool mute = switches_.silent || (switches_.muteCommand && *switches_.muteCommand == command);
        if (mute) {
            line += " (no answer)";
        } else if (switches_.flood) {
            out.append(kFloodBytes, 'x');
            line += " (flood answer)";
        } else {
            out += answer;
            out.push_back(kCr);
        }
        if (log) log->push_back(line);
    }
    return out;
}

std::string ConverterDevice::Answer(uint8_t command, const std::vector<uint64_t>& params, std::string& line) {
    const bool setting = command == 0x19 || command == 0x1D || command == 0x09 || command == 0xFC;
    const size_t wanted = command == 0x19 || command == 0x1D ? 1 : (command == 0x09 || command == 0xFC) ? 2 : 0;
    if (!setting && command != 0x1C && command != 0x1E) {
        line += ": unknown command";
        return "!ff";
    }
    if (params.size() != wanted) {
        line += ": wrong number of parameters";
        return "!fd";
    }
    if (setting && switches_.errorCode) {
        line += ": refused with error " + Hex2(*switches_.errorCode);
        return "!" + Hex2(*switches_.errorCode);
    }
    char text[96];
    switch (command) {
        case 0x19:
            state_.supplyCentivolts = static_cast<uint32_t>(params[0]);
            std::snprintf(text, sizeof text, ": supply %.2f V", static_cast<double>(params[0]) / 100.0);
            break;
        case 0x1D:
            if (params[0] > 0xFFF) {
                line += ": analog value outside 12 bits";
                return "!02";
            }
            state_.dac = static_cast<uint32_t>(params[0]);
            std::snprintf(text, sizeof text, ": analog %04x (%.3f V)", state_.dac,
                          10.0 - static_cast<double>(state_.dac) * 0.0048828125);
            break;
        case 0x09:
            state_.relays[static_cast<uint32_t>(params[0])] = static_cast<uint32_t>(params[1]);
            std::snprintf(text, sizeof text, ": relay %llu %s", static_cast<unsigned long long>(params[0]),
                          OnOff(params[1]).c_str());
            break;
        case 0xFC:
            state_.outputs[static_cast<uint32_t>(params[0])] = static_cast<uint32_t>(params[1]);
            std::snprintf(text, sizeof text, ": output %llu %s", static_cast<unsigned long long>(params[0]),
                          OnOff(params[1]).c_str());
            break;
        case 0x1C: {
            double ma = 0;
            if (state_.supplyCentivolts != 0) ma = switches_.overcurrent ? ConverterSwitches::kOvercurrentMa : switches_.currentMa;
            // Units of 25 µA, four digits.
            const double units = std::min(std::max(std::round(ma * 40.0), 0.0), 65535.0);
            std::snprintf(text, sizeof text, ": current %.1f mA", units / 40.0);
            line += text;
            std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(units));
            return text;
        }
        default:  // 0x1E
            std::snprintf(text, sizeof text, ": type %d", switches_.type);
            line += text;
            return Hex2(static_cast<unsigned>(switches_.type));
    }
    line += text;
    return Hex2(command);
}
