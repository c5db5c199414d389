#include "NmtCommands.h"

#include "Expressions.h"
#include "MiscAnswer.h"
#include "MiscFrames.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

bool CmdNmtNodeControl(TestInstruction& instruction, uint8_t specifier) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    line.commandText = std::string(ParamValue(instruction.command));
    line.status = STATUS_OK;

    uint32_t node = 0;
    if (!instruction.param1.empty()) {
        int32_t value = 0;
        const uint32_t rc = EvalExpression(instruction.param1, value);
        // A node id that does not fit the byte would address another node: refused like a
        // value that does not parse.
        if (rc == EXPR_SYNTAX || (rc == EXPR_OK && static_cast<uint32_t>(value) > 0xFF)) {
            line.commandText = "unbekannter Befehl";
            line.status = STATUS_ERR_SYN;
            return true;
        }
        if (rc == EXPR_OK) node = static_cast<uint32_t>(value);
        line.commandText += FormatValue("  NodeId: 0x%03x", node);
    }

    tagOPEN_Message msg = MakeDataFrame(0x000, 2, {specifier, static_cast<uint8_t>(node)});
    line.valueText = FormatValue("0x%02x", node);
    line.valueShown = true;
    SendAndShow(line, msg);
    run.pendingStep = NmtAnswerStep;
    return true;
}
