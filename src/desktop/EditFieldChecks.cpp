#include "EditFieldChecks.h"

#include "Numbers.h"

namespace {
bool IsDigitOf(char c, int base) {
    if (c >= '0' && c <= '9') return true;
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
}  // namespace

std::optional<uint32_t> ReadEditNumber(const std::string& text) {
    const std::string t = Trimmed(text);
    if (t.empty()) return std::nullopt;
    const bool prefixed = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
    const bool hex = prefixed || (IsDigitOf(t[0], 16) && !IsDigitOf(t[0], 10));
    size_t i = prefixed ? 2 : 0;
    const bool negative = !hex && t[0] == '-';
    if (negative) ++i;
    if (i >= t.size()) return std::nullopt;
    // The magnitude must fit 4 bytes: 0 ... 0xFFFFFFFF, or down to -0x80000000.
    const uint64_t limit = negative ? 0x80000000ull : 0xFFFFFFFFull;
    uint64_t magnitude = 0;
    for (; i < t.size(); ++i) {
        if (!IsDigitOf(t[i], hex ? 16 : 10)) return std::nullopt;
        const char c = t[i];
        const uint64_t d = c <= '9' ? static_cast<uint64_t>(c - '0') : static_cast<uint64_t>((c | 0x20) - 'a' + 10);
        magnitude = magnitude * (hex ? 16u : 10u) + d;
        if (magnitude > limit) return std::nullopt;
    }
    uint32_t value = 0;
    if (!ParseNumber(t, value, 4)) return std::nullopt;
    return value;
}

std::optional<EditFieldRefusal> AcceptEditFields(EditFieldSet& fields, const std::array<std::string, 6>& texts) {
    std::array<uint32_t, 6> values{};
    for (size_t k = 0; k < fields.size(); ++k) {
        const EditField& field = fields[k];
        if (!field.active) continue;
        if (Trimmed(texts[k]).empty()) return EditFieldRefusal{k, "No value was entered", field.caption};
        if (field.freeText) continue;
        const std::optional<uint32_t> value = ReadEditNumber(texts[k]);
        if (!value) return EditFieldRefusal{k, "No valid value was entered", field.caption};
        values[k] = *value;
    }
    for (size_t k = 0; k < fields.size(); ++k) {
        if (!fields[k].active) continue;
        fields[k].text = texts[k];
        if (!fields[k].freeText) fields[k].value = values[k];
    }
    return std::nullopt;
}
