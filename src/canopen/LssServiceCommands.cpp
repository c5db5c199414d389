#include "AnswerCheck.h"
#include "Expressions.h"
#include "LssCommands.h"
#include "LssFrames.h"
#include "MiscFrames.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
constexpr uint8_t kSwitchGlobal = 0x04;

// Starts an answer row: "_Res", direction "R"; true with the answer shown when one arrived.
bool ReadAnswerRow(ProtocolLine& line, tagOPEN_Message& answer) {
    line.commandText += "_Res";
    line.transmit = false;
    line.rowTime = HrTimeNow();
    if (!ReadLastAnswer(answer)) {
        ClearProtocolLine(line);
        return false;
    }
    ShowFrame(line, answer);
    return true;
}

void JudgeService(const TestInstruction& instruction, const LssServiceEntry& service) {
    ProtocolLine& line = CurrentRun().protocolLine;
    tagOPEN_Message answer;
    if (!ReadAnswerRow(line, answer)) {
        line.commandText += "  !";
        line.commandText += kLssNoAnswer;
        line.status = ExpectsNone(instruction) ? STATUS_OK : STATUS_ERR_ANS;
        return;
    }
    line.status = STATUS_OK;
    if (ExpectsAny(instruction)) return;
    if (ExpectsNone(instruction)) {
        line.commandText += " !";
        line.commandText += kLssUnexpected;
        line.status = STATUS_ERR_ANS;
        return;
    }
    // The request's value is no part of the answer row.
    line.valueShown = false;
    if (!CheckLssAnswer(line, answer, service.answer, service.answerCarriesData)) return;
    const uint32_t value = LssAnswerValue(answer);
    if (service.answerCarriesData) {
        line.valueText = FormatValue("0x%x", value);
        line.valueShown = true;
    }
    if (instruction.expectedId.empty()) return;
    int32_t expected = 0;
    const uint32_t rc = EvalExpression(instruction.expectedId, expected);
    if (rc == EXPR_SYNTAX) {
        line.commandText += "   !Syntaxfehler";
        line.status = STATUS_ERR_SYN;
    } else if (rc == EXPR_OK && static_cast<uint32_t>(expected) != value) {
        line.status = STATUS_ERR_ANS;
    }
}

std::string CommandName(const TestInstruction& instruction) { return std::string(ParamValue(instruction.command)); }
}  // namespace

bool CmdLssService(TestInstruction& instruction, const LssServiceEntry& service) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    line.commandText = CommandName(instruction);
    line.status = STATUS_OK;
    uint32_t value = 0;
    if (!instruction.param1.empty()) {
        int32_t v = 0;
        const uint32_t rc = EvalExpression(instruction.param1, v);
        if (rc == EXPR_SYNTAX) {
            line.commandText = "unbekannter Befehl";
            line.status = STATUS_ERR_SYN;
            return true;
        }
        if (rc == EXPR_OK) value = static_cast<uint32_t>(v);
    }
    // Bit timing: byte 1 selects the table (0, the standard table), byte 2 is the index.
    if (service.request == 0x13) value <<= 8;
    SendLssRequest(line, service.request, value);
    const LssServiceEntry* entry = &service;
    run.pendingStep = [entry](TestInstruction& record) {
        JudgeService(record, *entry);
        CurrentRun().pendingStep = nullptr;
        return true;
    };
    return true;
}

bool CmdLssSwitchGlobalOperate(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    run.protocolLine.commandText = CommandName(instruction);
    SendLssRequest(run.protocolLine, kSwitchGlobal, 0);
    run.pendingStep = [](TestInstruction& record) {
        ProtocolLine& line = CurrentRun().protocolLine;
        tagOPEN_Message answer;
        if (!ReadAnswerRow(line, answer)) {
            line.commandText += "    ";
            line.commandText += kLssNoAnswer;
            const bool mayBeSilent = record.expectedId.empty() || ExpectsNone(record);
            line.status = mayBeSilent ? STATUS_OK : STATUS_ERR_ANS;
        } else if (ExpectsNone(record)) {
            line.commandText += " !";
            line.commandText += kLssUnexpected;
            line.status = STATUS_ERR_ANS;
        } else if (!record.expectedId.empty()) {
            ReportCheck(CheckAnswer(record, answer));
        } else {
            line.status = STATUS_OK;
        }
        CurrentRun().pendingStep = nullptr;
        return true;
    };
    return true;
}

bool CmdLssSwitchGlobalConfig(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    run.protocolLine.commandText = CommandName(instruction);
    SendLssRequest(run.protocolLine, kSwitchGlobal, 1);
    run.pendingStep = [](TestInstruction& record) {
        ProtocolLine& line = CurrentRun().protocolLine;
        tagOPEN_Message answer;
        const bool received = ReadAnswerRow(line, answer);
        line.status = STATUS_OK;
        if (ExpectsAny(record)) {
            // any outcome is accepted
        } else if (!received) {
            // The service has no confirmation: silence is the right answer.
            line.commandText += "    ";
            line.commandText += kLssNoAnswer;
        } else {
            line.commandText += " !";
            line.commandText += kLssUnexpected;
            line.status = STATUS_LSS_ERROR;
        }
        CurrentRun().pendingStep = nullptr;
        return true;
    };
    return true;
}
