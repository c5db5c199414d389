// "BEF_GoTo" (a loop by line number) and "BEF_If" (a conditional jump by line number).

#include <optional>

#include "BefCommands.h"
#include "Expressions.h"
#include "NamedValueList.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
// Index of the first instruction with `lineNumber`. Index 0 cannot be a jump target (a jump
// request of 0 means "none"), so an instruction found there counts as not found.
std::optional<uint32_t> FindLine(int32_t lineNumber) {
    const auto& instructions = CurrentTest().instructions;
    for (size_t i = 0; i < instructions.size(); ++i) {
        if (static_cast<int64_t>(instructions[i].lineNumber) != lineNumber) continue;
        if (i == 0) return std::nullopt;
        return static_cast<uint32_t>(i);
    }
    return std::nullopt;
}

void SyntaxError(ProtocolLine& line, const char* remark) {
    line.commandText += remark;
    line.status = STATUS_ERR_SYN;
}

std::string LoopText(int32_t lineNumber, int64_t remaining) {
    return "     Zeile: " + std::to_string(lineNumber) + ";   Anzahl: " + std::to_string(remaining);
}

// A loop counter keeps the jumps still to make in its low half and its jump target (an
// instruction index) in its high half, so interleaved loops never share a target.
uint64_t PackCounter(int64_t remaining, uint32_t target) {
    return (static_cast<uint64_t>(target) << 32) | static_cast<uint32_t>(remaining);
}

// The keyword of a condition: the value behind a tag, or the whole text without one.
std::string Keyword(const std::string& param) {
    std::string word(param.find(':') == std::string::npos ? std::string_view(param) : ParamValue(param));
    RemoveBlanks(word);
    return word;
}

bool IsBlank(const std::string& text) {
    std::string t = text;
    return RemoveBlanks(t) == 0;
}
}  // namespace

bool CmdBefGoTo(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    BeginBefRow(line, BefCommandName(instruction));

    int32_t target = 0;
    if (EvalExpression(instruction.param1, target) != EXPR_OK) {
        SyntaxError(line, "    !Syntax error");
        return true;
    }
    const std::string& key = instruction.param1;
    if (auto counter = LoopCounters().Find(key)) {
        const int64_t left = static_cast<int64_t>(static_cast<uint32_t>(*counter)) - 1;
        const auto jumpTo = static_cast<uint32_t>(*counter >> 32);
        if (left <= 0) {
            LoopCounters().Remove(key);
            return true;
        }
        LoopCounters().Set(key, PackCounter(left, jumpTo));
        line.commandText += LoopText(target, left);
        run.jumpTarget = jumpTo;
        return true;
    }

    int32_t count = 0;
    if (EvalExpression(instruction.param2, count) != EXPR_OK) {
        SyntaxError(line, "    !Syntax error");
        return true;
    }
    const auto index = FindLine(target);
    if (!index) {
        SyntaxError(line, "    wrong line number");
        return true;
    }
    // A count below 1 makes no jump: a counter that never reaches 0 would loop for ever.
    if (count < 1) return true;
    line.commandText += LoopText(target, count);
    run.jumpTarget = *index;
    LoopCounters().Set(key, PackCounter(count, *index));
    return true;
}

bool CmdBefIf(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    BeginBefRow(line, BefCommandName(instruction) + "  " + instruction.param1);

    bool then = false;
    const std::string& condition = instruction.param1;
    if (condition.find_first_of("><=") != std::string::npos) {
        int32_t value = 0;
        then = EvalExpression(condition, value) == EXPR_OK && value >= 1;
    } else {
        const std::string word = Keyword(condition);
        then = (word == "Err" && run.lastStatus == STATUS_ERR_ANS) || (word == "Ok" && run.lastStatus == STATUS_OK);
    }

    const std::string& branch = then ? instruction.param2 : instruction.param3;
    // A branch that is not given lets execution go on with the next instruction.
    if (IsBlank(branch)) return true;
    int32_t lineNumber = 0;
    const uint32_t rc = EvalExpression(branch, lineNumber);
    if (rc == EXPR_EMPTY) return true;
    if (rc != EXPR_OK) {
        SyntaxError(line, "    !Syntax error");
        return true;
    }
    const auto index = FindLine(lineNumber);
    if (!index) {
        SyntaxError(line, "    wrong line number");
        return true;
    }
    run.jumpTarget = *index;
    line.commandText += "     Zeile: " + std::string(TextFrom(branch, 5)) + (then ? "  Then" : "  Else");
    return true;
}
