#pragma once
// The label commands: "Marke" (a label definition; only its row at run time) and
// "BEF_GoTo_Marke" (a loop back to a label, a given number of times).

#include "ScriptRun.h"

bool CmdMarke(TestInstruction& instruction);
bool CmdGoToMarke(TestInstruction& instruction);

void RegisterLabelCommands();
