#pragma once
// The BEF family: jumps and conditional jumps by line number, the searches and the parameter
// load as script steps, the test-bench settings, the serial-number display, external programs
// and the end of the program. RegisterBefCommands registers them with the dispatcher.

#include <string>

#include "ProtocolLine.h"
#include "TestInstruction.h"

bool CmdBefGoTo(TestInstruction& instruction);
bool CmdBefIf(TestInstruction& instruction);
bool CmdBefSearchBaud(TestInstruction& instruction);
bool CmdBefSearchNode(TestInstruction& instruction);
bool CmdBefLoadPara(TestInstruction& instruction);
bool CmdBefUb(TestInstruction& instruction);
bool CmdBefDrehzahl(TestInstruction& instruction);
bool CmdBefMotor(TestInstruction& instruction);
bool CmdBefKontup(TestInstruction& instruction);
bool CmdBefShowSerNr(TestInstruction& instruction);
bool CmdBefExecuteExt(TestInstruction& instruction);
bool CmdBefBeenden(TestInstruction& instruction);

void RegisterBefCommands();

// Ends whatever a BEF step is waiting for (a search, an external program) without resuming the
// runner. START and every single command call it; STOP calls it `byOperator`, which writes a
// row for a program it ends.
void StopBefWaits(bool byOperator = false);

// The name behind "B:" of an instruction's command.
std::string BefCommandName(const TestInstruction& instruction);
// Starts a sent ("T") row with `text`, the value column hidden and status ok.
void BeginBefRow(ProtocolLine& line, std::string text);
