#include "MiscAnswer.h"
#include "MiscCommands.h"
#include "MiscFrames.h"
#include "NamedValueList.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
// Sends a remote request for the PDO on `id` (DLC 0, always) and judges the answer next tick.
bool RequestPdo(TestInstruction& instruction, uint32_t id) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    line.commandText = std::string(ParamValue(instruction.command));
    line.status = STATUS_OK;
    if (id > kMaxStandardId) {
        line.idText = FormatValue("%03x", id);
        line.commandText += "    !Syntax error";
        line.status = STATUS_ERR_SYN;
        return true;
    }
    tagOPEN_Message msg = MakeRemoteFrame(id);
    line.valueText = "--Remote--";
    line.valueShown = true;
    SendAndShow(line, msg);
    run.pendingStep = MiscAnswerStep;
    return true;
}

uint32_t Var(const char* name) { return ScriptVariables().Get(name); }

uint32_t PlusNode(uint32_t base) {
    const uint64_t sum = static_cast<uint64_t>(base) + Var("NodeId");
    return sum > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(sum);
}
}  // namespace

bool CmdPdo1(TestInstruction& instruction) { return RequestPdo(instruction, Var("Pdo1Id")); }
bool CmdPdo1Plus(TestInstruction& instruction) { return RequestPdo(instruction, PlusNode(Var("Pdo1Id"))); }
bool CmdPdo2(TestInstruction& instruction) { return RequestPdo(instruction, Var("Pdo2Id")); }
bool CmdPdo2Plus(TestInstruction& instruction) { return RequestPdo(instruction, PlusNode(Var("Pdo2Id"))); }
