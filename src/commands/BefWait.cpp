// `timWait` and the three waiting commands.

#include "BefWait.h"

#include <memory>

#include "BefCommands.h"
#include "BefSearchHook.h"
#include "CanChannel.h"
#include "LoadParam.h"
#include "Ports.h"
#include "ScriptRun.h"

namespace {
struct WaitState {
    std::unique_ptr<TimerPort> timWait;
    BefWaitMode mode = BefWaitMode::Idle;
    bool started = false;  // the search or the load could be started
};

WaitState& Wait() {
    static WaitState state;
    return state;
}

// The channel follows the bit rate and node the search left in the variables.
void ReopenAndResume() {
    CanClose();
    CanOpen();
    CurrentRun().pendingStep = nullptr;
    StopBefWait();
    CurrentRunControl().StartScriptTimer();
}

void GiveUp(const char* text, const char* title) {
    StopBefWait();
    CurrentOperator().ShowMessage(text, title);
    CurrentRunControl().AbandonRun();
}

void JudgeSearch(const BefSearch& search, const char* notFound, const char* title) {
    const bool found = Wait().started && search.found();
    const bool running = Wait().started && search.running();
    if (!found && !running) {
        GiveUp(notFound, title);
    } else if (found) {
        ReopenAndResume();
    }
}

void timWaitTimer() {
    switch (Wait().mode) {
        case BefWaitMode::BaudSearch:
            JudgeSearch(CurrentBefSearchHooks().baudRate, "Baud rate not found\nTest wird abgebrochen",
                        "SEARCH BAUD RATE");
            break;
        case BefWaitMode::NodeSearch:
            JudgeSearch(CurrentBefSearchHooks().node, "Node not found\nTest wird abgebrochen", "KNOTEN SUCHEN");
            break;
        case BefWaitMode::ParameterLoad:
            if (!CurrentParameterLoad().IsRunning()) ReopenAndResume();
            break;
        case BefWaitMode::Idle: StopBefWait(); break;
    }
}

bool StartWaitingStep(TestInstruction& instruction, BefWaitMode mode, const std::function<bool()>& start) {
    CurrentRunControl().StopScriptTimer();
    BeginBefRow(CurrentRun().protocolLine, BefCommandName(instruction));
    Wait().started = start && start();
    StartBefWait(mode);
    return true;
}
}  // namespace

BefSearchHooks& CurrentBefSearchHooks() {
    static BefSearchHooks hooks;
    return hooks;
}

void StartBefWait(BefWaitMode mode) {
    WaitState& w = Wait();
    if (!w.timWait) {
        w.timWait = CreateTimer();
        w.timWait->SetHandler(timWaitTimer);
    }
    w.mode = mode;
    w.timWait->Start(kBefWaitIntervalMs);
}

void StopBefWait() {
    WaitState& w = Wait();
    w.mode = BefWaitMode::Idle;
    if (w.timWait) w.timWait->Stop();
}

BefWaitMode CurrentBefWaitMode() { return Wait().mode; }

bool CmdBefSearchBaud(TestInstruction& instruction) {
    return StartWaitingStep(instruction, BefWaitMode::BaudSearch, [] {
        const BefSearch& search = CurrentBefSearchHooks().baudRate;
        return search.Installed() && search.start();
    });
}

bool CmdBefSearchNode(TestInstruction& instruction) {
    return StartWaitingStep(instruction, BefWaitMode::NodeSearch, [] {
        const BefSearch& search = CurrentBefSearchHooks().node;
        return search.Installed() && search.start();
    });
}

bool CmdBefLoadPara(TestInstruction& instruction) {
    return StartWaitingStep(instruction, BefWaitMode::ParameterLoad, [] {
        CurrentParameterLoad().Start();
        return true;
    });
}
