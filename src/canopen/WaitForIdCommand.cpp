#include <algorithm>

#include "AnswerCheck.h"
#include "CanChannel.h"
#include "Expressions.h"
#include "MiscCommands.h"
#include "MiscFrames.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
constexpr int32_t kWaitMs = 500;
}  // namespace

bool CmdWaitForId(TestInstruction& instruction) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = std::string(ParamValue(instruction.command));
    line.status = STATUS_OK;

    int32_t value = 0;
    if (EvalOperand(instruction.expectedId, value) != EXPR_OK) return false;
    const auto id = static_cast<uint32_t>(value);
    if (id > kMaxStandardId) return false;
    line.commandText += FormatValue("  Id: 0x%03x", id);

    tagOPEN_Message answer;
    const CanIdRange range{static_cast<int32_t>(id), static_cast<int32_t>(id)};
    const uint32_t rc = CanWaitForRange(kWaitMs, &range, &answer);
    if (rc != CAN_RESULT_ONE && rc != CAN_RESULT_SEVERAL) return false;
    line.rowTime = HrTimeNow();
    answer.dlc = std::min<uint32_t>(answer.dlc, 8);
    ShowFrame(line, answer);
    const uint32_t check = CheckAnswer(instruction, answer);
    if (check != ANSWER_MATCH) {
        ReportCheck(check);
        return false;
    }
    line.transmit = true;
    line.status = STATUS_OK;
    return true;
}
