#include "TextEncoding.h"

#include <array>
#include <cstdint>

namespace {
// Code points of the bytes 0x80 to 0x9F; 0 marks an undefined byte.
constexpr std::array<uint16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// A NUL byte cannot stand in a database text: the lossless form shows it as U+2400.
constexpr uint32_t kNulStandIn = 0x2400;

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
}  // namespace

namespace {
std::string Convert(std::string_view text, bool lossless) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto b = static_cast<uint8_t>(ch);
        if (b == 0 && lossless) {
            AppendUtf8(out, kNulStandIn);
        } else if (b < 0x80) {
            out.push_back(ch);
        } else if (b < 0xA0) {
            const uint16_t cp = kHigh[b - 0x80];
            AppendUtf8(out, cp ? cp : lossless ? b : 0xFFFD);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}
}  // namespace

std::string Windows1252ToUtf8(std::string_view text) { return Convert(text, false); }
std::string Windows1252ToUtf8Lossless(std::string_view text) { return Convert(text, true); }

std::string Utf8ToWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<uint8_t>(text[i]);
        uint32_t cp = 0;
        size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1Fu, len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0Fu, len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07u, len = 4;
        } else {
            out.push_back('?');
            ++i;
            continue;
        }
        bool ok = i + len <= text.size();
        for (size_t k = 1; ok && k < len; ++k) {
            const auto c = static_cast<uint8_t>(text[i + k]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if (!ok) {
            out.push_back('?');
            ++i;
            continue;
        }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        char byte = cp == kNulStandIn ? '\0' : '?';
        for (size_t k = 0; k < kHigh.size(); ++k)
            if (kHigh[k] ? kHigh[k] == cp : cp == 0x80 + k) byte = static_cast<char>(0x80 + k);
        out.push_back(byte);
    }
    return out;
}

