#include "AnswerCheck.h"
#include "Expressions.h"
#include "MiscCommands.h"
#include "MiscFrames.h"
#include "NamedValueList.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
constexpr int32_t kMaxSyncCount = 240;

struct SyncState {
    int32_t requested = 0;
    int32_t sent = 0;
    bool lastSent = false;  // the requested number of Sync frames has gone out
    bool sendNext = false;  // the next call sends instead of reading
    uint32_t id = 0;
};
SyncState sync;

bool SyncStep(TestInstruction& instruction);

void SendSync() {
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = "Sync";
    line.valueShown = false;
    line.status = STATUS_OK;
    tagOPEN_Message msg = MakeDataFrame(sync.id, 0);
    SendAndShow(line, msg);
    if (++sync.sent >= sync.requested) sync.lastSent = true;
    CurrentRun().pendingStep = SyncStep;
}

void Finish() {
    CurrentRun().pendingStep = nullptr;
    ResetSyncPhase();
}

bool SyncStep(TestInstruction& instruction) {
    if (sync.sendNext) {
        sync.sendNext = false;
        SendSync();
        return true;
    }
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = "Sync_Res";
    line.transmit = false;
    line.rowTime = HrTimeNow();
    tagOPEN_Message answer;
    if (ReadLastAnswer(answer)) {
        ShowFrame(line, answer);
        if (!sync.lastSent || ExpectsNone(instruction)) {
            line.commandText += "   !unexpected response";
            line.status = STATUS_ERR_ANS;
        } else {
            line.status = STATUS_OK;
            ReportCheck(CheckAnswer(instruction, answer));
        }
        Finish();
        return true;
    }
    line.commandText += "   !no response";
    ClearProtocolLine(line);
    if (!sync.lastSent) {
        // Silence between the Sync frames is right: write this row and send the next at once.
        line.status = STATUS_OK;
        sync.sendNext = true;
        return false;
    }
    line.status = ExpectsNone(instruction) ? STATUS_OK : STATUS_ERR_ANS;
    Finish();
    return true;
}
}  // namespace

bool CmdSync(TestInstruction& instruction) {
    ResetSyncPhase();
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = "Sync";
    line.status = STATUS_OK;

    int32_t count = 1;
    if (!instruction.param1.empty()) {
        const uint32_t rc = EvalExpression(instruction.param1, count);
        if (rc == EXPR_EMPTY) count = 1;
        else if (rc != EXPR_OK) count = 0;
    }
    if (count < 1 || count > kMaxSyncCount) {
        line.commandText += " !wrong parameters";
        line.status = STATUS_ERR_SYN;
        return true;
    }
    sync.id = ScriptVariables().Get("SyncId");
    if (sync.id > kMaxStandardId) {
        line.commandText += "    !Syntax error";
        line.status = STATUS_ERR_SYN;
        return true;
    }
    sync.requested = count;
    SendSync();
    return true;
}

void ResetSyncPhase() { sync = SyncState{}; }
