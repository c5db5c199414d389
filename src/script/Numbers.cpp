#include "Numbers.h"

#include <algorithm>

#include "CanSettings.h"

namespace {
int Digit(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d < base ? d : -1;
}

bool IsHexLetter(char c) { return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool HasHexPrefix(std::string_view t) { return t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'); }

bool FitWidth(int64_t v, int width, uint32_t& value) {
    if (width == 1) {
        if (v > 255) return false;
        value = static_cast<uint32_t>(v) & 0xFFu;
    } else if (width == 2) {
        if (v > 65535) return false;
        value = static_cast<uint32_t>(v) & 0xFFFFu;
    } else {
        value = static_cast<uint32_t>(v);
    }
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads blanks, a sign, an optional "0x" (base 16) and digits from `text`, saturating at
// 0xFFFFFFFF and -0x80000000. Returns the number of characters used; 0 without a digit.
size_t ReadSigned(std::string_view text, int base, int64_t& value) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (base == 16 && HasHexPrefix(text.substr(i))) i += 2;
    const int64_t limit = negative ? 0x80000000ll : 0xFFFFFFFFll;
    int64_t v = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i) {
        const int d = Digit(text[i], base);
        if (d < 0) break;
        v = std::min<int64_t>(v * base + d, limit);
        ++digits;
    }
    value = negative ? -v : v;
    return digits == 0 ? 0 : i;
}
}  // namespace

bool ParseNumberBase(std::string_view text, uint32_t& value, int width, int base) {
    if (base != 10 && base != 16) return false;
    int64_t v = 0;
    if (ReadSigned(text, base, v) == 0) return false;
    return FitWidth(v, width, value);
}

bool ReadInteger(std::string_view text, int32_t& value) {
    int64_t v = 0;
    size_t used = ReadSigned(text, text.find('x') != std::string_view::npos ? 16 : 10, v);
    if (used == 0) return false;
    while (used < text.size() && IsBlank(text[used])) ++used;
    if (used != text.size()) return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
}

bool ParseNumber(std::string_view text, uint32_t& value, int width) {
    const bool hex = HasHexPrefix(text) || (!text.empty() && IsHexLetter(text[0]));
    return ParseNumberBase(text, value, width, hex ? 16 : 10);
}

int BitRateToIndex(int64_t kbit) { return CanBitRateToIndex(kbit); }

int IndexToBitRate(int64_t index) { return CanIndexToBitRate(index); }
