#include "DataLists.h"
#include "Expressions.h"
#include "MiscAnswer.h"
#include "MiscCommands.h"
#include "MiscFrames.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
// Builds the frame from the parameters; false on any syntax error (nothing may be sent then).
bool BuildGenFrame(const TestInstruction& instruction, tagOPEN_Message& msg) {
    TestInstruction params = instruction;
    // A template in parameter 4 spreads the value of parameter 3 over the data bytes.
    if (!params.param4.empty() && params.param4[0] == 'Y' &&
        ExpandByteLayout(params.param3, params.param4) != EXPR_OK)
        return false;
    // Without an identifier there is no frame to send.
    int32_t id = 0;
    if (EvalExpression(params.param1, id) != EXPR_OK) return false;
    msg = tagOPEN_Message{};
    return BuildMessageFromParams(params, msg) == EXPR_OK;
}
}  // namespace

bool CmdGen(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    line.commandText = std::string(ParamValue(instruction.command));
    line.status = STATUS_OK;

    tagOPEN_Message msg;
    if (!BuildGenFrame(instruction, msg)) {
        line.commandText += "    !Syntax error";
        line.status = STATUS_ERR_SYN;
        return true;
    }
    if (msg.dlc == 0) {
        msg = MakeRemoteFrame(msg.id);
        line.valueText = "--Remote--";
        line.valueShown = true;
    }
    SendAndShow(line, msg);
    run.pendingStep = MiscAnswerStep;
    return true;
}
