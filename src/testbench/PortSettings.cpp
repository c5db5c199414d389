#include "PortSettings.h"

#include <cctype>
#include <charconv>
#include <string>
#include <vector>

namespace {
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\t' || c == ':') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

std::optional<int> Int(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

bool SetField(PortSettings& s, int field, const std::string& value) {
    switch (field) {
        case 0: {
            const auto baud = Int(value);
            if (!baud || *baud < 50 || *baud > 4000000) return false;
            s.baud = *baud;
            return true;
        }
        case 1:
            if (value.size() != 1 || std::string("neoms").find(value[0]) == std::string::npos) return false;
            s.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
            return true;
        case 2: {
            const auto bits = Int(value);
            if (!bits || *bits < 5 || *bits > 8) return false;
            s.dataBits = *bits;
            return true;
        }
        default:
            if (value == "1.5") return s.stopBits = 15, true;
            if (value == "1" || value == "2") return s.stopBits = value[0] - '0', true;
            return false;
    }
}
}  // namespace

std::optional<PortSettings> ParsePortSettings(std::string_view text) {
    PortSettings settings;
    const char* names[] = {"baud", "parity", "data", "stop"};
    int position = 0;
    for (const std::string& word : Words(text)) {
        const size_t eq = word.find('=');
        int field = -1;
        std::string value = word;
        if (eq != std::string::npos) {
            for (int k = 0; k < 4; ++k)
                if (word.compare(0, eq, names[k]) == 0) field = k;
            value = word.substr(eq + 1);
        } else if (position == 0 && word.rfind("com", 0) == 0) {
            continue;  // "COM3: 9600,n,8,1"
        } else if (position < 4) {
            field = position++;
        }
        if (field < 0 || !SetField(settings, field, value)) return std::nullopt;
    }
    return settings;
}
