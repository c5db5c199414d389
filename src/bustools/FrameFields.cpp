#include "FrameFields.h"

#include <charconv>
#include <cstdio>

#include "TextLines.h"

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string ByteError(int i) { return "wrong Byte " + std::to_string(i); }
}  // namespace

bool ParseHexField(const std::string& text, uint32_t& value) {
    size_t p = text.find_first_not_of(' ');
    if (p == std::string::npos) return false;
    const size_t end = text.find_last_not_of(' ') + 1;
    if (end - p > 2 && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) p += 2;
    uint64_t v = 0;
    if (p >= end) return false;
    for (; p < end; ++p) {
        const int d = HexDigit(text[p]);
        if (d < 0) return false;
        v = (v << 4) | static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFull) v = 0xFFFFFFFFull + 1;  // too large for any field
    }
    if (v > 0xFFFFFFFFull) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool ParseDecimalField(const std::string& text, int64_t& value) {
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    const size_t e = text.find_last_not_of(' ') + 1;
    auto [end, ec] = std::from_chars(text.data() + b, text.data() + e, value);
    return ec == std::errc() && end == text.data() + e;
}

std::optional<std::string> BuildFrameFromFields(const FrameFieldTexts& fields, tagOPEN_Message& msg) {
    uint32_t id = 0;
    if (!ParseHexField(fields.id, id) || id >= 0x800) return "wrong Identifier";
    uint32_t dlc = 0;
    if (!ParseHexField(fields.dlc, dlc) || dlc > 8) return "wrong Data Length Code";
    std::array<uint8_t, 8> data{};
    for (int i = 0; i < 8; ++i) {
        uint32_t b = 0;
        if (ParseHexField(fields.bytes[i], b))
            data[i] = static_cast<uint8_t>(b);
        else if (static_cast<uint32_t>(i) < dlc)
            return ByteError(i);
    }
    msg.id = id;
    msg.dlc = dlc;
    msg.data = data;
    return std::nullopt;
}

std::optional<std::string> BuildExpectedFromFields(const FrameFieldTexts& fields, bool remote, ExpectedFrame& out) {
    ExpectedFrame e;
    if (!ParseHexField(fields.id, e.id) || e.id >= 0x800) return "wrong Identifier";
    if (!ParseHexField(fields.dlc, e.dlc) || e.dlc > 8) return "wrong Data Length Code";
    for (int i = 0; i < 8; ++i) {
        if (fields.bytes[i].find_first_not_of(' ') == std::string::npos) continue;
        uint32_t b = 0;
        if (!ParseHexField(fields.bytes[i], b) || static_cast<uint32_t>(i) >= e.dlc) return ByteError(i);
        e.data[i] = static_cast<uint8_t>(b);
        e.compare[i] = true;
    }
    e.remote = remote;
    out = e;
    return std::nullopt;
}

bool ExpectedFrame::Matches(const tagOPEN_Message& msg) const {
    if (msg.rtr != remote || msg.dlc != dlc) return false;
    for (int i = 0; i < 8; ++i)
        if (compare[i] && msg.data[i] != data[i]) return false;
    return true;
}

std::string FieldsToConfig(const FrameFieldTexts& fields) {
    std::string out;
    char cell[64];
    auto add = [&](const std::string& f, bool comma) {
        std::snprintf(cell, sizeof cell, "%2s", f.substr(0, 32).c_str());
        out += cell;
        if (comma) out += ',';
    };
    add(fields.id, true);
    add(fields.dlc, true);
    for (int i = 0; i < 8; ++i) add(fields.bytes[i], i < 7);
    return out;
}

FrameFieldTexts FieldsFromConfig(const std::string& value) {
    FrameFieldTexts f;
    f.id = GetField(value, ',', 0);
    f.dlc = GetField(value, ',', 1);
    for (int i = 0; i < 8; ++i) f.bytes[i] = GetField(value, ',', i + 2);
    return f;
}
