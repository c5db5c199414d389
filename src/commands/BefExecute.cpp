#include "BefExecute.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

#include "BefCommands.h"
#include "CanChannel.h"
#include "Numbers.h"
#include "Ports.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
struct ExternalRun {
    std::unique_ptr<QProcess> process;
    std::unique_ptr<TimerPort> poll;
    bool reopenChannel = false;
    std::string rowText;
};

ExternalRun& Current() {
    static ExternalRun run;
    return run;
}

void ReopenChannel(ExternalRun& run) {
    if (!run.reopenChannel) return;
    run.reopenChannel = false;
    CanOpen();
}

// Ends the wait: the process object goes on the next poll start, never inside its own signal.
void EndWait(ExternalRun& run) {
    if (run.poll) run.poll->Stop();
    ReopenChannel(run);
}

void WriteResultRow(const std::string& text, const std::string& value, uint32_t status) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line = ProtocolLine{};
    BeginBefRow(line, text);
    if (!value.empty()) {
        line.valueText = value;
        line.valueShown = true;
    }
    line.status = status;
    CurrentRunControl().WriteProtocolRow();
}

void PollTick() {
    ExternalRun& run = Current();
    if (!run.process) {
        EndWait(run);
        return;
    }
    if (run.process->state() != QProcess::NotRunning && !run.process->waitForFinished(kExternalPollBlockMs)) return;
    TerminationStatus status;
    status.crashed = run.process->exitStatus() == QProcess::CrashExit;
    status.exitCode = run.process->exitCode();
    EndWait(run);
    WriteResultRow(run.rowText, TerminationStatusText(status), STATUS_OK);
    CurrentRunControl().StartScriptTimer();
}
}  // namespace

std::string TerminationStatusText(const TerminationStatus& status) {
    const int high = status.crashed ? 0 : (status.exitCode & 0xFF);
    int low = 0;
    if (status.crashed) low = (status.exitCode & 0x7F) != 0 ? (status.exitCode & 0x7F) : 0x7F;
    return std::to_string(high) + ", " + std::to_string(low);
}

bool ExternalProgramRunning() {
    const ExternalRun& run = Current();
    return run.process && run.process->state() != QProcess::NotRunning;
}

void StopExternalProgram(bool writeRow) {
    ExternalRun& run = Current();
    if (!ExternalProgramRunning()) {
        if (run.poll) run.poll->Stop();
        return;
    }
    run.process->kill();
    run.process->waitForFinished(kExternalStartMs);
    EndWait(run);
    // Without the program's path, which could push the remark out of the row.
    if (writeRow) WriteResultRow("BEF_Execute_Ext    !Program stopped", "", STATUS_ERR_ANS);
}

bool CmdBefExecuteExt(TestInstruction& instruction) {
    ExternalRun& run = Current();
    ProtocolLine& line = CurrentRun().protocolLine;
    BeginBefRow(line, BefCommandName(instruction) + "  ");
    int32_t keepCan = 0;
    if (!ReadInteger(ParamValue(instruction.param1), keepCan)) {
        line.status = STATUS_ERR_SYN;
        return false;
    }
    // One program at a time: a second start would lose the first one's wait.
    if (ExternalProgramRunning()) StopExternalProgram(false);

    const std::string program(ParamValue(instruction.param2));
    const std::string argument(ParamValue(instruction.param3));
    line.commandText += program + "  " + argument + "  ";
    run.rowText = line.commandText;

    run.reopenChannel = keepCan == 0 && CanActive;
    if (run.reopenChannel) CanClose();

    // The program and its one argument go to the system as they are, never through a shell.
    run.process = std::make_unique<QProcess>();
    run.process->setProgram(QString::fromLocal8Bit(program.c_str()));
    if (!argument.empty()) run.process->setArguments(QStringList{QString::fromLocal8Bit(argument.c_str())});
    run.process->setProcessChannelMode(QProcess::ForwardedChannels);
    if (!program.empty()) run.process->start();
    if (program.empty() || !run.process->waitForStarted(kExternalStartMs)) {
        line.status = STATUS_ERR_ANS;
        run.process.reset();
        ReopenChannel(run);
        return true;
    }

    CurrentRunControl().StopScriptTimer();
    if (!run.poll) {
        run.poll = CreateTimer();
        run.poll->SetHandler(PollTick);
    }
    run.poll->Start(kExternalPollMs);
    return true;
}
