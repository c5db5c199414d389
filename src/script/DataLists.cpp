#include "DataLists.h"

#include <cstdio>

#include "Expressions.h"

namespace {
constexpr size_t kMaxLayoutChars = 80;

uint8_t ByteOf(int32_t value, unsigned k) {
    return static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8u * (k % 4u)));
}
}  // namespace

uint32_t ParseDataList(std::string_view text, std::array<uint8_t, 8>& data, uint8_t& emptyBytes) {
    emptyBytes = 0;
    const size_t first = text.find(':');
    if (first == std::string_view::npos) return EXPR_SYNTAX;
    const size_t second = text.find(':', first + 1);
    if (second == std::string_view::npos) {
        int32_t v = 0;
        const uint32_t rc = EvalExpression(text, v);
        if (rc == EXPR_EMPTY) {
            emptyBytes = 0xFF;
            return EXPR_OK;
        }
        if (rc != EXPR_OK) return EXPR_SYNTAX;
        for (unsigned k = 0; k < 8; ++k) data[k] = k < 4 ? ByteOf(v, k) : 0;
        return EXPR_OK;
    }
    size_t start = second;
    for (unsigned slot = 0; slot < 8; ++slot) {
        if (start == std::string_view::npos) return EXPR_SYNTAX;
        const size_t end = text.find('Y', start);
        const std::string_view slotText =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        int32_t v = 0;
        const uint32_t rc = EvalExpression(slotText, v);
        if (rc == EXPR_EMPTY) {
            emptyBytes = static_cast<uint8_t>(emptyBytes | (1u << slot));
        } else if (rc == EXPR_OK) {
            data[slot] = static_cast<uint8_t>(v);
        } else {
            return EXPR_SYNTAX;
        }
        start = end == std::string_view::npos ? end : text.find(':', end);
    }
    return EXPR_OK;
}

uint32_t BuildMessageFromParams(const TestInstruction& instruction, tagOPEN_Message& msg) {
    int32_t v = 0;
    uint32_t rc = EvalExpression(instruction.param1, v);
    if (rc == EXPR_SYNTAX) return EXPR_SYNTAX;
    if (rc == EXPR_OK) {
        if (static_cast<uint32_t>(v) > 0x7FFu) return EXPR_SYNTAX;
        msg.id = static_cast<uint32_t>(v);
    }
    rc = EvalExpression(instruction.param2, v);
    if (rc == EXPR_SYNTAX) return EXPR_SYNTAX;
    if (rc == EXPR_EMPTY) v = 0;
    if (static_cast<uint32_t>(v) > 8u) return EXPR_SYNTAX;
    msg.dlc = static_cast<uint32_t>(v);
    uint8_t empty = 0;
    return ParseDataList(instruction.param3, msg.data, empty) == EXPR_OK ? EXPR_OK : EXPR_SYNTAX;
}

uint32_t ExpandByteLayout(std::string& valueText, std::string_view layout) {
    int32_t value = 0;
    const uint32_t rc = EvalExpression(valueText, value);
    if (rc != EXPR_OK) return rc;
    unsigned letters = 0;
    for (char c : layout)
        if (c == 'I' || c == 'M') ++letters;
    const size_t colon = valueText.find(':');
    std::string out = valueText.substr(0, colon + 1);
    unsigned k = 0;
    char hex[8];
    for (char c : layout) {
        if (c == 'I' || c == 'M') {
            const unsigned byte = c == 'I' ? k : letters - 1 - k;
            std::snprintf(hex, sizeof hex, "0x%02x", ByteOf(value, byte));
            out += hex;
            ++k;
        } else {
            out.push_back(c);
        }
    }
    if (out.size() > kMaxLayoutChars) out.resize(kMaxLayoutChars);
    valueText = std::move(out);
    return EXPR_OK;
}
