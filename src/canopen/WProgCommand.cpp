#include <optional>

#include "Expressions.h"
#include "MiscCommands.h"
#include "MiscFrames.h"
#include "Numbers.h"
#include "ScriptRun.h"
#include "StringHelpers.h"
#include "TextLines.h"
#include "WProgParameters.h"

namespace {
constexpr uint32_t kRequestId = 0x7E5;
constexpr uint32_t kAnswerId = 0x7E4;
constexpr uint8_t kWriteCommand = 0x8C;

struct WProgState {
    uint8_t code = 0;
    bool stringWrite = false;
    std::string text;  // the string's characters and its terminating zero
    size_t next = 0;   // index of the next character to send
    uint32_t base = 0;
    bool sendNext = false;
};
WProgState wprog;

bool WProgStep(TestInstruction& instruction);

void SendValue(uint32_t value) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = "WProg";
    line.status = STATUS_OK;
    tagOPEN_Message msg = MakeDataFrame(kRequestId, 8,
                                        {kWriteCommand, wprog.code, static_cast<uint8_t>(value),
                                         static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                                         static_cast<uint8_t>(value >> 24), 0x57, 0x54});
    line.valueText = FormatValue("0x%04x", value);
    line.valueShown = true;
    SendAndShow(line, msg);
    CurrentRun().pendingStep = WProgStep;
}

void SendNextCharacter() {
    const auto ch = static_cast<uint8_t>(wprog.text[wprog.next]);
    SendValue((static_cast<uint32_t>(ch) << 24) + wprog.base + static_cast<uint32_t>(wprog.next));
    ++wprog.next;
}

void Finish() {
    CurrentRun().pendingStep = nullptr;
    ResetWProgPhase();
}

bool WProgStep(TestInstruction&) {
    if (wprog.sendNext) {
        wprog.sendNext = false;
        SendNextCharacter();
        return true;
    }
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = "WProg_Res";
    line.transmit = false;
    line.valueShown = false;
    line.status = STATUS_OK;
    line.rowTime = HrTimeNow();
    tagOPEN_Message answer;
    if (!ReadLastAnswer(answer)) {
        line.commandText += " !no response";
        ClearProtocolLine(line);
        line.status = STATUS_ERR_ANS;
        Finish();
        return true;
    }
    ShowFrame(line, answer);
    auto fail = [&line](const char* text) {
        line.commandText += text;
        line.status = STATUS_ERR_ANS;
    };
    if (answer.id != kAnswerId) fail("    ! wrong Identifier");
    if (answer.dlc != 8) fail("   ! wrong Data Length Code");
    if (answer.data[0] != kWriteCommand) fail("   ! wrong data");
    for (size_t i = 1; i < 8; ++i)
        if (answer.data[i] != 0) fail("   ! wrong data");

    if (wprog.stringWrite && wprog.next < wprog.text.size()) {
        wprog.sendNext = true;  // the next tick sends the next character
        return true;
    }
    Finish();
    return true;
}

// The base address of a text parameter: in the memory file's "[KONSTANTEN]" section, the first
// line that begins with the parameter's name; its second comma-separated field.
std::optional<uint32_t> BaseAddress(std::string_view name) {
    const auto& lines = CurrentTest().memoryLines;
    size_t i = 0;
    while (i < lines.size() && lines[i].rfind("[KONSTANTEN]", 0) != 0) ++i;
    for (; i < lines.size(); ++i) {
        if (lines[i].rfind(name, 0) != 0) continue;
        uint32_t base = 0;
        if (!ParseNumber(GetField(lines[i], ',', 1), base, 2)) return std::nullopt;
        return base;
    }
    return std::nullopt;
}

bool SyntaxError(ProtocolLine& line) {
    line.commandText += "    !Syntax error";
    line.status = STATUS_ERR_SYN;
    ResetWProgPhase();
    return true;
}
}  // namespace

int FindWProgParameter(std::string_view name) {
    for (size_t i = 0; i < kWProgParameters.size(); ++i)
        if (name == kWProgParameters[i].name) return static_cast<int>(i);
    return -1;
}

bool CmdWProg(TestInstruction& instruction) {
    ResetWProgPhase();
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = "WProg";
    line.status = STATUS_OK;

    const std::string_view name = ParamValue(instruction.param1);
    const int row = FindWProgParameter(name);
    if (row < 0) return SyntaxError(line);
    const WProgParameter& parameter = kWProgParameters[static_cast<size_t>(row)];
    line.extraText1 = parameter.name;
    wprog.code = parameter.code;

    if (static_cast<size_t>(row) >= kWProgStringRows) {
        int32_t value = 0;
        if (EvalExpression(instruction.param2, value) != EXPR_OK) return SyntaxError(line);
        SendValue(static_cast<uint32_t>(value));
        return true;
    }

    // A text: a quoted string behind the label; the first and the last character are the quotes.
    const std::string_view quoted = ParamValue(instruction.param2);
    if (quoted.size() < 2) return SyntaxError(line);
    const std::optional<uint32_t> base = BaseAddress(parameter.name);
    if (!base) return SyntaxError(line);
    wprog.stringWrite = true;
    wprog.text = std::string(quoted.substr(1, quoted.size() - 2));
    line.asciiText = wprog.text;
    wprog.text.push_back('\0');
    wprog.base = *base;
    SendNextCharacter();
    return true;
}

void ResetWProgPhase() { wprog = WProgState{}; }
