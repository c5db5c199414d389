#include "LabelCommands.h"

#include "Dispatcher.h"
#include "Expressions.h"
#include "Labels.h"
#include "NamedValueList.h"
#include "StringHelpers.h"

namespace {
std::string CommandName(const TestInstruction& instruction) {
    return std::string(ParamValue(instruction.command));
}

void BeginRow(ProtocolLine& line, std::string text) {
    line.commandText = std::move(text);
    line.transmit = true;
    line.valueShown = false;
    line.status = STATUS_OK;
}
}  // namespace

bool CmdMarke(TestInstruction& instruction) {
    BeginRow(CurrentRun().protocolLine,
             CommandName(instruction) + "  " + instruction.command + "  " + instruction.param1 + "  ");
    return true;
}

bool CmdGoToMarke(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    BeginRow(line, CommandName(instruction) + " " + instruction.param1);
    const std::string key = "Name:" + std::string(TextFrom(instruction.param1, 5));
    const auto& instructions = CurrentTest().instructions;

    if (auto remaining = LoopCounters().Find(key)) {
        const int64_t left = static_cast<int64_t>(*remaining) - 1;
        if (left <= 0) {
            LoopCounters().Remove(key);
            return true;
        }
        LoopCounters().Set(key, static_cast<uint64_t>(left));
        run.jumpTarget = static_cast<uint32_t>(FindLabel(instructions, key));
        return true;
    }

    int32_t count = 0;
    if (EvalExpression(instruction.param2, count) != EXPR_OK) {
        line.commandText += "    !Syntax error";
        line.status = STATUS_ERR_SYN;
        return true;
    }
    // A count below 1 makes no jump: storing it would loop for ever.
    if (count < 1) return true;
    const size_t target = FindLabel(instructions, key);
    if (target == 0) {
        line.commandText += "    wrong jump label";
        line.status = STATUS_ERR_SYN;
        return true;
    }
    run.jumpTarget = static_cast<uint32_t>(target);
    LoopCounters().Set(key, static_cast<uint64_t>(count));
    return true;
}

void RegisterLabelCommands() {
    RegisterCommand(CommandFamily::Misc, "Marke", CmdMarke);
    RegisterCommand(CommandFamily::Bef, "BEF_GoTo_Marke", CmdGoToMarke);
}
