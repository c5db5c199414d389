#include "Expressions.h"
#include "MiscAnswer.h"
#include "MiscFrames.h"
#include "NamedValueList.h"
#include "NmtCommands.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
constexpr const char* kGuardName = "NMT_Guard";

// Judges the guarding answer: one byte, the node state with the toggle bit in bit 7.
void JudgeGuardAnswer(const TestInstruction& instruction, uint32_t cobId) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line.transmit = false;
    tagOPEN_Message answer;
    if (!ReadLastAnswer(answer)) {
        ReportNoAnswer(instruction, kMiscAnswerTexts.noAnswer);
        return;
    }
    ShowFrame(line, answer);
    line.valueShown = false;
    line.commandText = kGuardName;
    if (ExpectsNone(instruction)) {
        line.commandText += " !unexpected response";
        line.status = STATUS_ERR_ANS;
        return;
    }
    if (answer.id != cobId) {
        line.commandText += "    ! wrong Identifier";
        line.status = STATUS_ERR_NMT;
        return;
    }
    if (answer.dlc != 1) {
        line.commandText += "   ! wrong Data Length Code";
        line.status = STATUS_ERR_NMT;
        return;
    }
    for (size_t i = 1; i < 8; ++i) {
        if (answer.data[i] != 0) {
            line.commandText += "   ! unexpected response";
            line.status = STATUS_ERR_NMT;
            return;
        }
    }
    if (!instruction.expectedId.empty()) {
        int32_t state = 0;
        const uint32_t rc = EvalExpression(instruction.expectedId, state);
        if (rc == EXPR_SYNTAX) {
            line.commandText += "   ! Syntax error";
            line.status = STATUS_ERR_SYN;
            return;
        }
        // The toggle bit alternates from answer to answer; only the state is compared.
        if (rc == EXPR_OK && static_cast<uint32_t>(state) != (answer.data[0] & 0x7Fu)) {
            line.commandText += "   ! response error";
            line.status = STATUS_ERR_ANS;
            return;
        }
    }
    line.commandText += "_Res";
    line.status = STATUS_OK;
}
}  // namespace

bool CmdNmtGuard(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    line.status = STATUS_OK;

    uint32_t cobId = ScriptVariables().Get("GuardId");
    if (!instruction.param1.empty() && !ParamValue(instruction.param1).empty()) {
        int32_t value = 0;
        if (EvalExpression(instruction.param1, value) != EXPR_OK) cobId = 0xFFFFFFFFu;
        else cobId = static_cast<uint32_t>(value);
    }
    line.commandText = std::string(kGuardName) + FormatValue("  Node: 0x%03x", cobId);
    if (cobId > kMaxStandardId) {
        line.commandText += "   ! Syntax error";
        line.status = STATUS_ERR_SYN;
        return true;
    }

    tagOPEN_Message msg = MakeRemoteFrame(cobId);
    line.valueText = "--Remote--";
    line.valueShown = true;
    SendAndShow(line, msg);
    run.pendingStep = [cobId](TestInstruction& record) {
        JudgeGuardAnswer(record, cobId);
        CurrentRun().pendingStep = nullptr;
        return true;
    };
    return true;
}
