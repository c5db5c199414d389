#include "SdoRequest.h"

#include <string>

#include "Expressions.h"
#include "NamedValueList.h"
#include "Numbers.h"
#include "SdoTables.h"
#include "StringHelpers.h"

namespace {
bool Fail(ProtocolLine& line, const char* text) {
    line.commandText = text;
    line.status = STATUS_ERR_SYN;
    return false;
}

// "6000" is hexadecimal; "&Name" or "&123" takes a variable's value or a number.
bool ParseIndex(std::string_view text, uint16_t& index) {
    uint32_t value = 0;
    if (!text.empty() && text[0] == '&') {
        int32_t v = 0;
        if (EvalOperand("Index:" + std::string(text.substr(1)), v) != EXPR_OK) return false;
        value = static_cast<uint32_t>(v);
        if (value > 0xFFFF) return false;
    } else if (!ParseNumberBase(text, value, 2, 16)) {
        return false;
    }
    index = static_cast<uint16_t>(value);
    return true;
}
}  // namespace

uint32_t SdoRequestId() { return 0x600 + ScriptVariables().Get("NodeId"); }

uint32_t SdoAnswerId() { return 0x580 + ScriptVariables().Get("NodeId"); }

bool BuildSdoRequestHeader(const TestInstruction& instruction, tagOPEN_Message& msg, ProtocolLine& line) {
    const std::string name(ParamValue(instruction.command));
    const auto specifier = SdoSpecifierOf(name);
    if (!specifier) return Fail(line, name.c_str());
    line.commandText = name;

    if (instruction.param1.find(':') == std::string::npos) return Fail(line, " ! Syntax error index");
    const std::string_view indexText = ParamValue(instruction.param1);
    uint16_t index = 0;
    if (!ParseIndex(indexText, index)) return Fail(line, " ! Syntax error index");

    if (instruction.param2.find(':') == std::string::npos) return Fail(line, " ! Syntax error subindex");
    const std::string_view subText = ParamValue(instruction.param2);
    uint32_t sub = 0;
    if (!ParseNumberBase(subText, sub, 4, 16)) return Fail(line, " ! Syntax error subindex");
    if (sub > 0xFF) return Fail(line, " ! Subindex greater than 255");

    line.extraText1 = std::string(indexText);
    line.extraText2 = std::string(subText);
    msg.id = SdoRequestId();
    msg.dlc = 8;
    msg.rtr = false;
    msg.data[0] = *specifier;
    msg.data[1] = static_cast<uint8_t>(index & 0xFF);
    msg.data[2] = static_cast<uint8_t>(index >> 8);
    msg.data[3] = static_cast<uint8_t>(sub);
    return true;
}
