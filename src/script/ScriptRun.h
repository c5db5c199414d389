#pragma once
// What a command sees of the running test: the record it works on, the protocol line it fills,
// the continuation and jump requests it leaves for the runner, and the runner's controls.
// Everything here is used on the runner's thread only.

#include <array>
#include <cstdint>
#include <functional>

#include "ProtocolLine.h"
#include "TestInstruction.h"

// A command's step: takes its instruction record, returns true when the step is complete and
// its row can be written; false asks the runner to write the row and call it once more at once.
using StepFunction = std::function<bool(TestInstruction&)>;

// The runner's operations that commands use.
class RunControl {
public:
    virtual ~RunControl() = default;
    // Writes the protocol row from the current protocol line and advances.
    virtual void WriteProtocolRow() = 0;
    // Pauses and resumes the runner timer (operator dialogs, tools that take over the channel).
    virtual void StopScriptTimer() = 0;
    virtual void StartScriptTimer() = 0;
    // The runner's tick interval follows a new "Timer" value.
    virtual void SetScriptTimerInterval(int intervalMs) = 0;
    // The run ends here: the runner stays paused (a failed search or programming step).
    virtual void AbandonRun() = 0;
    // Ends the program with `exitCode` ("BEF_Beenden").
    virtual void EndProgram(int exitCode) = 0;
};

struct ScriptRun {
    // Set by a command that continues on later ticks; cleared by it when done.
    StepFunction pendingStep;
    // Index of the next instruction requested by a jump; 0 means no request.
    uint32_t jumpTarget = 0;
    // Copy of the instruction being dispatched; a command's first call receives it.
    TestInstruction workingInstruction;
    // The single commands of the menus; record 0 is executed.
    std::array<TestInstruction, 2> interactiveInstructions;
    // The runner serves a single menu command instead of the test.
    bool interactiveMode = false;
    // Index of the instruction being executed; -1 before the first.
    int32_t currentIndex = -1;
    ProtocolLine protocolLine;
    // Status of the last row written (the previous step's result, for conditional jumps).
    uint32_t lastStatus = STATUS_OK;
};

ScriptRun& CurrentRun();

// The runner in use; without one, rows and timer requests go nowhere.
RunControl& CurrentRunControl();
void SetRunControl(RunControl* control);
