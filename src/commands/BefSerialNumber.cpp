// "BEF_Show_SerNr": reads the device's serial number (0x650B sub 0) and shows it to the operator.

#include "BefCommands.h"
#include "CanChannel.h"
#include "MiscFrames.h"
#include "Ports.h"
#include "ScriptRun.h"
#include "SdoAnswer.h"
#include "SdoRequest.h"

namespace {
constexpr uint16_t kSerialNumberIndex = 0x650B;
constexpr uint8_t kSerialNumberSub = 0;

bool JudgeSerialNumber(TestInstruction&) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    run.pendingStep = nullptr;
    line = ProtocolLine{};
    line.commandText = "SDO_UpExp_Res";
    line.transmit = false;

    tagOPEN_Message answer;
    if (!ReceiveSdoAnswer(answer)) {
        line.commandText += "  !keine Antwort";
        line.status = STATUS_SDO_ERROR;
        return true;
    }
    ShowFrame(line, answer);
    if (answer.id != SdoAnswerId()) {
        line.commandText += "  falscher Identifier";
        line.status = STATUS_SDO_ERROR;
    }
    const uint8_t kind = answer.data[0] & 0xE3;
    if (kind != 0x42 && kind != 0x43) {
        line.commandText += "  unbekannte Antwort";
        line.status = STATUS_SDO_ERROR;
        return true;
    }
    ShowSdoMultiplexer(line, answer);
    const uint16_t index = static_cast<uint16_t>(answer.data[1] | (answer.data[2] << 8));
    const uint8_t sub = answer.data[3];
    const uint32_t value = SdoAnswerValue(answer);
    if (index != kSerialNumberIndex) {
        line.commandText += "  falscher Index";
        line.status = STATUS_SDO_ERROR;
    } else if (sub != kSerialNumberSub) {
        line.commandText += "  falscher Subindex";
        line.status = STATUS_SDO_ERROR;
    } else {
        line.valueText = FormatValue("%d", value);
        line.valueShown = true;
    }
    // Only a number that is surely the device's serial number is shown as one.
    if (line.status != STATUS_OK) return true;
    RunControl& control = CurrentRunControl();
    control.StopScriptTimer();
    CurrentOperator().ShowSerialNumber(value);
    control.StartScriptTimer();
    return true;
}
}  // namespace

bool CmdBefShowSerNr(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    TestInstruction request;
    request.command = "B:SDO_UpInit";
    request.param1 = FormatValue("Index:%x", kSerialNumberIndex);
    request.param2 = "Sub:" + std::to_string(kSerialNumberSub);
    tagOPEN_Message msg = MakeDataFrame(0, 8);
    if (!BuildSdoRequestHeader(request, msg, line)) return true;
    line.commandText = BefCommandName(instruction);
    // Whatever arrived before belongs to earlier steps.
    tagOPEN_Message stale;
    CanRead(&stale);
    SendAndShow(line, msg);
    line.status = STATUS_OK;
    run.pendingStep = JudgeSerialNumber;
    return true;
}
