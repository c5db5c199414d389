// "BEF_Prog_AtBl": firmware programming through the programming window.

#include <memory>

#include "BefCommands.h"
#include "BefProgrammer.h"
#include "Ports.h"
#include "ScriptRun.h"
#include "StringHelpers.h"
#include "TimeSource.h"

namespace {
struct ProgWait {
    BefProgrammer* programmer = nullptr;
    std::unique_ptr<TimerPort> poll;
    bool started = false;  // the file loaded and the client started
    uint64_t deadlineUs = 0;
    std::string rowText;
};

ProgWait& Wait() {
    static ProgWait wait;
    return wait;
}

void Finish(bool success) {
    ProgWait& w = Wait();
    if (w.poll) w.poll->Stop();
    if (!success) {
        ProtocolLine& line = CurrentRun().protocolLine;
        line = ProtocolLine{};
        BeginBefRow(line, w.rowText + "Timeout");
        line.status = STATUS_ERR_ANS;
        CurrentRunControl().WriteProtocolRow();
    }
    if (w.programmer) w.programmer->Close();
    if (success)
        CurrentRunControl().StartScriptTimer();
    else
        CurrentRunControl().AbandonRun();
}

void PollTick() {
    ProgWait& w = Wait();
    if (!w.programmer || !w.started) {
        Finish(false);
        return;
    }
    switch (w.programmer->PollBootloader()) {
        case ProgrammerState::Succeeded: Finish(true); return;
        case ProgrammerState::Failed: Finish(false); return;
        case ProgrammerState::Running:
            if (CurrentTimeSource().NowUs() >= w.deadlineUs) Finish(false);
            return;
    }
}

// Parameter 4's erase mode as the window's erase choice; -1 for any other word.
int EraseChoice(std::string_view mode) {
    const char* names[] = {"FULL", "BL0", "BL1", "BL2"};
    for (int i = 0; i < 4; ++i)
        if (UpperCase(mode) == names[i]) return i;
    return -1;
}
}  // namespace

namespace {
BefProgrammer* g_programmer = nullptr;
}  // namespace

BefProgrammer* CurrentBefProgrammer() { return g_programmer; }
void SetBefProgrammer(BefProgrammer* programmer) { g_programmer = programmer; }

void StopProgrammingWait() {
    if (Wait().poll) Wait().poll->Stop();
}

bool ProgrammingWaitActive() { return Wait().poll && Wait().poll->IsActive(); }

bool CmdBefProgAtBl(TestInstruction& instruction) {
    ProgWait& w = Wait();
    CurrentRunControl().StopScriptTimer();
    ProtocolLine& line = CurrentRun().protocolLine;
    BeginBefRow(line, BefCommandName(instruction) + ",  " + instruction.param1 + ",  " + instruction.param2 + ",  " +
                          instruction.param3 + ",  " + instruction.param4);
    w.rowText = line.commandText;
    w.programmer = CurrentBefProgrammer();
    w.started = false;
    if (w.programmer) {
        w.programmer->Show();
        const std::string_view mode = ParamValue(instruction.param4);
        const int choice = EraseChoice(mode);
        w.programmer->SetScriptOptions(std::string(ParamValue(instruction.param1)),
                                       UpperCase(ParamValue(instruction.param3)) == "YES",
                                       !instruction.param4.empty() && choice >= 0, choice < 0 ? 0 : choice);
        w.started = w.programmer->OpenHexFile(std::string(ParamValue(instruction.param2))) &&
                    w.programmer->btnProgramClick();
    }
    w.deadlineUs = DeadlineAfterMs(kProgWaitLimitMs);
    if (!w.poll) {
        w.poll = CreateTimer();
        w.poll->SetHandler(PollTick);
    }
    w.poll->Start(kProgPollMs);
    return true;
}
