#include "Expressions.h"

#include <array>
#include <climits>
#include <string>

#include "Labels.h"
#include "NamedValueList.h"
#include "Numbers.h"
#include "StringHelpers.h"
#include "TestInstruction.h"

namespace {
constexpr size_t kMaxExpressionChars = 80;
constexpr std::array<char, 9> kOperators = {'+', '*', '&', '|', '>', '<', '/', '=', '-'};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }
}  // namespace

uint32_t EvalOperand(std::string_view text, int32_t& value) {
    std::string t(text);
    RemoveBlanks(t);
    const size_t colon = t.find(':');
    if (colon == std::string::npos) return EXPR_SYNTAX;
    const std::string operand = t.substr(colon + 1);
    if (operand.empty()) return EXPR_EMPTY;
    if (IsDigit(operand[0])) {
        uint32_t v = 0;
        if (!ParseNumber(operand, v, 4)) return EXPR_SYNTAX;
        value = static_cast<int32_t>(v);
        return EXPR_OK;
    }
    uint32_t low = 0;
    if (ScriptVariables().Lookup(operand, low)) {
        value = static_cast<int32_t>(low);
        return EXPR_OK;
    }
    const auto& instructions = CurrentTest().instructions;
    const size_t label = FindLabel(instructions, "Name:" + operand);
    if (label == 0) return EXPR_SYNTAX;
    value = static_cast<int32_t>(instructions[label].lineNumber);
    return EXPR_OK;
}

uint32_t EvalExpression(std::string_view textIn, int32_t& value) {
    const std::string_view text = textIn.substr(0, std::min(textIn.size(), kMaxExpressionChars));
    size_t at = std::string_view::npos;
    char op = 0;
    for (char c : kOperators) {
        at = text.find(c);
        if (at != std::string_view::npos) {
            op = c;
            break;
        }
    }
    if (op == 0) return EvalOperand(text, value);

    int32_t left = 0;
    const uint32_t lc = EvalOperand(text.substr(0, at), left);
    if (lc != EXPR_OK) return lc;
    int32_t right = 0;
    std::string rightText(1, ':');  // the right side has no tag of its own
    rightText.append(text.substr(at + 1));
    const uint32_t rc = EvalOperand(rightText, right);
    if (rc != EXPR_OK) return EXPR_SYNTAX;

    const int64_t l = left, r = right;
    switch (op) {
        case '+': value = Wrap(l + r); break;
        case '-': value = Wrap(l - r); break;
        case '*': value = Wrap(l * r); break;
        case '/':
            if (right == 0 || (left == INT32_MIN && right == -1)) return EXPR_SYNTAX;
            value = left / right;
            break;
        case '&': value = left & right; break;
        case '|': value = left | right; break;
        case '>': value = left > right ? 1 : 0; break;
        case '<': value = left < right ? 1 : 0; break;
        case '=': value = left == right ? 1 : 0; break;
        default: return EXPR_SYNTAX;
    }
    return EXPR_OK;
}
