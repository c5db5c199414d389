#include "StringHelpers.h"

#include <algorithm>

size_t RemoveBlanks(std::string& text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }),
               text.end());
    return text.size();
}

size_t ExpandEscapedZeros(std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '0') {
            out.push_back('\0');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    text = std::move(out);
    return text.size();
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

namespace {
int DigitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d < base ? d : -1;
}
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

bool ReadInteger(std::string_view text, int32_t& value) {
    const int base = text.find('x') != std::string_view::npos ? 16 : 10;
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (base == 16 && i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && DigitValue(text[i + 2], 16) >= 0)
        i += 2;
    uint64_t v = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i], base);
        if (d < 0) break;
        v = std::min<uint64_t>(v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d), 0xFFFFFFFFull);
        ++digits;
    }
    if (digits == 0) return false;
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i != text.size()) return false;
    const uint32_t u = static_cast<uint32_t>(v);
    value = static_cast<int32_t>(negative ? 0u - u : u);
    return true;
}

std::string_view TextFrom(std::string_view text, size_t pos) {
    return pos < text.size() ? text.substr(pos) : std::string_view();
}

std::string_view ParamValue(std::string_view param) {
    const size_t colon = param.find(':');
    return colon == std::string_view::npos ? std::string_view() : param.substr(colon + 1);
}

std::string CutText(std::string_view text, size_t maxChars) {
    return std::string(text.substr(0, std::min(text.size(), maxChars)));
}
