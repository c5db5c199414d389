#include "MiscAnswer.h"

#include "AnswerCheck.h"
#include "MiscFrames.h"
#include "ScriptRun.h"

void ReportNoAnswer(const TestInstruction& instruction, const char* text) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText += text;
    ClearProtocolLine(line);
    const bool mayBeSilent = instruction.expectedId.empty() || ExpectsNone(instruction);
    line.status = mayBeSilent ? STATUS_OK : STATUS_ERR_ANS;
}

void JudgeOneAnswer(const TestInstruction& instruction, const AnswerTexts& texts) {
    ProtocolLine& line = CurrentRun().protocolLine;
    tagOPEN_Message answer;
    const bool received = ReadLastAnswer(answer);
    line.rowTime = HrTimeNow();
    line.commandText += "_Res";
    line.transmit = false;
    if (!received) {
        ReportNoAnswer(instruction, texts.noAnswer);
        return;
    }
    ShowFrame(line, answer);
    if (ExpectsNone(instruction)) {
        line.commandText += texts.unexpected;
        line.status = STATUS_ERR_ANS;
        return;
    }
    if (instruction.expectedId.empty()) {
        line.status = STATUS_OK;
        return;
    }
    ReportCheck(CheckAnswer(instruction, answer));
}

bool NmtAnswerStep(TestInstruction& instruction) {
    JudgeOneAnswer(instruction, kNmtAnswerTexts);
    CurrentRun().pendingStep = nullptr;
    return true;
}

bool MiscAnswerStep(TestInstruction& instruction) {
    JudgeOneAnswer(instruction, kMiscAnswerTexts);
    CurrentRun().pendingStep = nullptr;
    return true;
}
