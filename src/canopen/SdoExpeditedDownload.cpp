// "SDO_DownInitExped": the expedited download request and its continuation.

#include "Expressions.h"
#include "MiscFrames.h"
#include "Numbers.h"
#include "ScriptRun.h"
#include "SdoAnswer.h"
#include "SdoCommands.h"
#include "SdoRequest.h"
#include "SdoTransfer.h"
#include "StringHelpers.h"

namespace {
bool SyntaxError(ProtocolLine& line, const char* remark) {
    line.commandText += remark;
    line.status = STATUS_ERR_SYN;
    return true;
}

// Parameter 4: "Len:" and 1 to 4; an empty field or value means 4. 0 for anything else.
uint32_t DataLength(const std::string& param) {
    if (param.empty()) return 4;
    if (param.find(':') == std::string::npos) return 0;
    const std::string_view text = ParamValue(param);
    if (text.empty()) return 4;
    uint32_t length = 0;
    if (!ParseNumber(text, length, 4) || length < 1 || length > 4) return 0;
    return length;
}

constexpr SdoStepRules kRules{nullptr, true, true};

bool ExpeditedStep(TestInstruction& instruction) {
    SdoTransfer& t = CurrentSdoTransfer();
    ProtocolLine& line = CurrentRun().protocolLine;
    tagOPEN_Message answer;
    if (auto done = BeginSdoStep(instruction, kRules, t.expeditedNext, answer)) return *done;
    ShowSdoMultiplexer(line, answer);

    const std::string& expected = instruction.expectedId;
    switch (answer.data[0] & 0xE0) {
    case 0x60: {  // download confirmed
        line.commandText = "SDO_DownInit_Res";
        if (!CheckSdoMultiplexer(line, answer)) return AbortOnNextCall(t.expeditedNext);
        if (SdoAnswerValue(answer) != 0) {
            line.commandText += " !R\xFC" "ckgabe != NULL";
            line.status = STATUS_SDO_ERROR;
            return FinishSdoStep();
        }
        if (expected.empty())
            line.status = STATUS_OK;
        else if (ExpectsSdoError(instruction) || expected.find(':') == std::string::npos)
            line.status = STATUS_ERR_ANS;  // an abort was expected, or no answer at all
        else
            line.status = ParamValue(expected).empty() ? STATUS_OK : STATUS_ERR_SYN;
        return FinishSdoStep();
    }
    case 0x80:  // abort by the device
        line.commandText = "SDO_Abort";
        if (!CheckSdoMultiplexer(line, answer)) return AbortOnNextCall(t.expeditedNext);
        JudgeSdoAbort(line, instruction, SdoAnswerValue(answer), "   ! Syntax errorfalscher Abbruchcode");
        return FinishSdoStep();
    default:
        line.commandText = "unbekannte Antwort";
        line.status = STATUS_SDO_ERROR;
        return FinishSdoStep();
    }
}
}  // namespace

bool CmdSdoDownInitExped(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    tagOPEN_Message request = MakeDataFrame(0, 8);
    if (!BuildSdoRequestHeader(instruction, request, line)) return true;
    if (instruction.param3.find(':') == std::string::npos)
        return SyntaxError(line, "  ! Syntax error wrong parameter");
    int32_t value = 0;
    // An empty value would send bytes nobody chose.
    if (EvalExpression(instruction.param3, value) != EXPR_OK) return SyntaxError(line, "   ! Syntax error");
    const uint32_t length = DataLength(instruction.param4);
    if (length == 0) return SyntaxError(line, "  !falsche Datenlaenge");

    request.data[0] = static_cast<uint8_t>(0x23 + 4 * (4 - length));
    for (uint32_t i = 0; i < length; ++i)
        request.data[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    line.valueText = FormatValue("0x%x", static_cast<uint32_t>(value));
    line.valueShown = true;
    CurrentSdoTransfer().expeditedNext = SdoNextAction::Judge;
    SendSdoInitiate(line, request);
    line.status = STATUS_OK;
    run.pendingStep = ExpeditedStep;
    return true;
}
