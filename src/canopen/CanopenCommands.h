#pragma once
// The CANopen command families as tables of named commands; the dispatcher registers them.

#include <functional>
#include <string>
#include <vector>

#include "TestInstruction.h"

enum class CanopenFamily { Nmt, Misc, Sdo, Lss };

struct CanopenCommand {
    CanopenFamily family;
    std::string name;  // the text behind "B:", compared exactly
    std::function<bool(TestInstruction&)> handler;
};

// NMT and guarding commands, and the miscellaneous family (Sync, PDO, Gen, WProg, WaitForId).
std::vector<CanopenCommand> NmtAndMiscCommands();
std::vector<CanopenCommand> SdoCommands();
std::vector<CanopenCommand> LssCommands();

// Reset the phase counters of a family, so a command stopped half-way starts afresh.
void ResetNmtAndMiscPhases();
void ResetSdoPhases();
void ResetLssPhases();
