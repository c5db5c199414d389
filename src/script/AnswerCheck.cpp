#include "AnswerCheck.h"

#include <string>

#include "DataLists.h"
#include "Expressions.h"
#include "NamedValueList.h"
#include "ProtocolLine.h"
#include "ScriptRun.h"

uint32_t CheckAnswer(const TestInstruction& instruction, const tagOPEN_Message& received) {
    if (instruction.expectedId == "None") return ANSWER_NONE;
    tagOPEN_Message expected;
    uint32_t mask = 0;
    const uint32_t rc = ParseExpectedAnswer(instruction, expected, received, mask);
    if (rc == EXPR_SYNTAX) return ANSWER_SYNTAX;
    return CompareAnswer(received, expected, mask);
}

uint32_t ParseExpectedAnswer(const TestInstruction& instruction, tagOPEN_Message& expected,
                             const tagOPEN_Message& received, uint32_t& mask) {
    mask = 0;
    int32_t v = 0;
    uint32_t rc = EvalExpression(instruction.expectedId, v);
    if (rc == EXPR_SYNTAX) return EXPR_SYNTAX;
    if (rc == EXPR_EMPTY) mask |= ANSWER_MASK_ID;
    else expected.id = static_cast<uint32_t>(v);

    rc = EvalExpression(instruction.expectedLen, v);
    if (rc == EXPR_SYNTAX) return EXPR_SYNTAX;
    if (rc == EXPR_EMPTY) mask |= ANSWER_MASK_LENGTH;
    else expected.dlc = static_cast<uint32_t>(v);

    const std::string& data = instruction.expectedData;
    if (!data.empty() && data[0] == '&') {
        mask |= ANSWER_MASK_DATA;
        return CaptureAnswer(std::string_view(data).substr(1), received);
    }
    if (data.find(':') == std::string::npos) {
        mask |= ANSWER_MASK_NO_DATA;
        return EXPR_OK;
    }
    uint8_t empty = 0;
    if (ParseDataList(data, expected.data, empty) != EXPR_OK) return EXPR_SYNTAX;
    mask |= empty;
    return EXPR_OK;
}

uint32_t CompareAnswer(const tagOPEN_Message& received, const tagOPEN_Message& expected, uint32_t mask) {
    if (received.id != expected.id && !(mask & ANSWER_MASK_ID)) return ANSWER_WRONG_ID;
    if (received.dlc != expected.dlc && !(mask & ANSWER_MASK_LENGTH)) return ANSWER_WRONG_LENGTH;
    if (mask & ANSWER_MASK_NO_DATA) return ANSWER_MATCH;
    for (unsigned i = 0; i < 8; ++i)
        if (!(mask & (1u << i)) && received.data[i] != expected.data[i]) return ANSWER_WRONG_DATA;
    return ANSWER_MATCH;
}

uint32_t CaptureAnswer(std::string_view templ, const tagOPEN_Message& received) {
    const size_t colon = templ.find(':');
    if (colon == std::string_view::npos || colon == 0) return EXPR_SYNTAX;
    const std::string name(templ.substr(0, colon));
    const std::string_view entries = templ.substr(colon + 1);
    const unsigned count = received.dlc < 8 ? received.dlc : 8;
    if (entries.size() < 4u * count) return EXPR_SYNTAX;
    uint64_t value = 0;
    for (unsigned i = 0; i < count; ++i) {
        const std::string_view e = entries.substr(4u * i, 4);
        const bool digit = e[1] >= '0' && e[1] <= '9';
        if (e[0] != 'Y' || !(digit || e[1] == 'X') || e[2] != ':' || (e[3] != 'I' && e[3] != 'M'))
            return EXPR_SYNTAX;
        const unsigned pos = digit ? static_cast<unsigned>(e[1] - '0') : 8u;
        if (e[3] == 'I' && pos < 8) value |= static_cast<uint64_t>(received.data[i]) << (8u * pos);
    }
    ScriptVariables().Set(name, value);
    return EXPR_OK;
}

void ReportCheck(uint32_t code) {
    ProtocolLine& line = CurrentRun().protocolLine;
    switch (code) {
        case ANSWER_MATCH: line.status = STATUS_OK; return;
        case ANSWER_WRONG_ID: line.commandText += "   !falscher Identifier"; break;
        case ANSWER_WRONG_LENGTH: line.commandText += "   !falscher Datenlaenge"; break;
        case ANSWER_WRONG_DATA: line.commandText += "   !falsche Daten"; break;
        default:
            line.commandText += "   !Syntaxfehler";
            line.status = STATUS_ERR_SYN;
            return;
    }
    line.status = STATUS_ERR_ANS;
}
