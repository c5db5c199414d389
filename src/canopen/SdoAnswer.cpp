#include "SdoAnswer.h"

#include <algorithm>

#include "CanChannel.h"
#include "MiscFrames.h"
#include "NamedValueList.h"
#include "ScriptRun.h"
#include "SdoRequest.h"
#include "SdoTables.h"
#include "SdoTransfer.h"
#include "StringHelpers.h"

bool ReceiveSdoAnswer(tagOPEN_Message& answer) {
    uint32_t wait = 0;
    if (ScriptVariables().Lookup("ActivatedWaitForSdoId", wait) && static_cast<int32_t>(wait) >= 1) {
        answer = tagOPEN_Message{};
        const int32_t timeoutMs = std::max<int32_t>(static_cast<int32_t>(ScriptVariables().Get("Timer")), 0);
        if (CanWaitForId(timeoutMs, static_cast<int32_t>(SdoAnswerId()), &answer) != CAN_RESULT_ONE) return false;
        answer.dlc = std::min<uint32_t>(answer.dlc, 8);
        return true;
    }
    return ReadLastAnswer(answer);
}

std::optional<bool> BeginSdoStep(const TestInstruction& instruction, const SdoStepRules& rules, SdoNextAction& next,
                                 tagOPEN_Message& answer) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line = ProtocolLine{};
    if (next == SdoNextAction::Abort || (next == SdoNextAction::SendSegment && !rules.sendSegment)) {
        next = SdoNextAction::Judge;
        SendSdoAbort(line);
        return FinishSdoStep();
    }
    if (next == SdoNextAction::SendSegment) {
        next = SdoNextAction::Judge;
        rules.sendSegment(line);
        return true;
    }
    if (!ReceiveSdoAnswer(answer)) {
        line.transmit = false;
        line.commandText = "keine Antwort";
        line.status = rules.noneExcusesSilence && ExpectsNone(instruction) ? STATUS_OK : STATUS_SDO_ERROR;
        return AbortOnNextCall(next);
    }
    BeginSdoAnswerRow(line, answer);
    if (rules.anyAcceptsAll && ExpectsAny(instruction)) return AbortOnNextCall(next);
    if (answer.id != SdoAnswerId()) {
        line.commandText = "falscher Identifier";
        line.status = STATUS_SDO_ERROR;
        return AbortOnNextCall(next);
    }
    return std::nullopt;
}

void BeginSdoAnswerRow(ProtocolLine& line, const tagOPEN_Message& answer) {
    line.transmit = false;
    line.status = STATUS_OK;
    ShowFrame(line, answer);
    const char* name = SdoAnswerName(answer.data[0] & 0xE3);
    line.commandText = name ? name : "";
}

void ShowSdoMultiplexer(ProtocolLine& line, const tagOPEN_Message& answer) {
    line.extraText1 = FormatValue("%x", static_cast<uint32_t>(answer.data[1] | (answer.data[2] << 8)));
    line.extraText2 = FormatValue("%x", answer.data[3]);
}

bool CheckSdoMultiplexer(ProtocolLine& line, const tagOPEN_Message& answer) {
    const SdoTransfer& t = CurrentSdoTransfer();
    if (static_cast<uint16_t>(answer.data[1] | (answer.data[2] << 8)) != t.index) {
        line.commandText = "falscher Index";
    } else if (answer.data[3] != t.sub) {
        line.commandText = "falscher Subindex";
    } else {
        return true;
    }
    line.status = STATUS_SDO_ERROR;
    return false;
}

uint32_t SdoAnswerValue(const tagOPEN_Message& answer) {
    return static_cast<uint32_t>(answer.data[4]) | (static_cast<uint32_t>(answer.data[5]) << 8) |
           (static_cast<uint32_t>(answer.data[6]) << 16) | (static_cast<uint32_t>(answer.data[7]) << 24);
}

void JudgeSdoAbort(ProtocolLine& line, const TestInstruction& instruction, uint32_t code,
                   std::string_view unknownRemark) {
    line.valueText = FormatValue("0x%08x", code);
    line.valueShown = true;
    const SdoAbortEntry* known = FindSdoAbortCode(code);
    if (!known) {
        line.commandText += unknownRemark;
        line.status = STATUS_SDO_ERROR;
        return;
    }
    line.commandText += "  !";
    line.commandText += known->name;
    if (instruction.expectedId.empty())
        line.status = STATUS_SDO_ERROR;
    else if (!ExpectsSdoError(instruction))
        line.status = STATUS_ERR_ANS;
    else
        line.status = ParamValue(instruction.expectedId) == known->name ? STATUS_OK : STATUS_ERR_ANS;
}

bool ExpectsSdoError(const TestInstruction& instruction) { return instruction.expectedId.starts_with("Error:"); }

std::string SdoAsciiText(std::span<const uint8_t> bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        if (b == 0) break;
        text.push_back(static_cast<char>(b));
    }
    return text;
}
