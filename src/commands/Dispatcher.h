#pragma once
// Routing a test instruction to its command family. The families register their commands by
// name at program start (RegisterAllCommands in CommandSet.h); a name nobody registered is not
// executed, which the runner reports as "unbekannter Befehl" with "Err Syn".

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "ScriptRun.h"

// The families, chosen by the first three characters of the name behind the command's ":".
enum class CommandFamily {
    Sdo,   // "SDO..."
    Nmt,   // "NMT..."
    Lss,   // "LSS..."
    Bef,   // "BEF..."
    Misc,  // anything else: Sync, PDO, generic frames, WProg, labels, waits
};

CommandFamily CommandFamilyOf(std::string_view name);

// A command's first call. It receives the working copy of its instruction, fills the protocol
// line and returns true when it executed the step (false: not executed).
using CommandHandler = std::function<bool(TestInstruction&)>;

// Registers `handler` for the command `name` (the text behind "B:", compared exactly). The name
// must belong to `family`; false (and nothing registered) otherwise. Registering a name again
// replaces its handler.
bool RegisterCommand(CommandFamily family, const std::string& name, CommandHandler handler);
// Registers a function that resets a family's phase counters; START and every single command
// call them all, so a command stopped half-way starts afresh.
void RegisterPhaseReset(std::function<void()> reset);
void ResetCommandPhases();
// Removes every registration (tests).
void ClearCommandRegistry();

// Outcome codes of the interactive input step of "&" instructions.
enum : uint32_t {
    INTERACTIVE_NOT_EXECUTED = 0x1000,
    INTERACTIVE_TEMPLATE_APPLIED = 0x2000,  // dispatch goes on with the rewritten record
    INTERACTIVE_VALUE_SET = 0x3000,
    INTERACTIVE_CANCELLED = 0x8000,
};
// The step that handles instructions whose command begins with "&" (operator input). Without
// one, such instructions are not executed.
using InteractiveInputStep = std::function<uint32_t(TestInstruction&)>;
void SetInteractiveInputStep(InteractiveInputStep step);

// Copies instructions[index] into the working instruction and hands it to its family. True when
// the command was recognised and executed. An index outside the array is not executed.
bool DispatchInstruction(std::span<const TestInstruction> instructions, int index);
