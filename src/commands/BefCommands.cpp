#include "BefCommands.h"

#include "BefExecute.h"
#include "BefWait.h"
#include "Dispatcher.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

std::string BefCommandName(const TestInstruction& instruction) { return std::string(ParamValue(instruction.command)); }

void BeginBefRow(ProtocolLine& line, std::string text) {
    line.commandText = std::move(text);
    line.transmit = true;
    line.valueShown = false;
    line.status = STATUS_OK;
}

void StopBefWaits(bool byOperator) {
    StopBefWait();
    StopExternalProgram(byOperator);
}

void RegisterBefCommands() {
    // "BEF_GoTo_Marke" comes with the label commands; "BEF_Prog_AtBl" with firmware programming.
    const std::pair<const char*, CommandHandler> table[] = {
        {"BEF_GoTo", CmdBefGoTo},
        {"BEF_SearchBaud", CmdBefSearchBaud},
        {"BEF_SearchNode", CmdBefSearchNode},
        {"BEF_LoadPara", CmdBefLoadPara},
        {"BEF_If", CmdBefIf},
        {"BEF_Ub", CmdBefUb},
        {"BEF_Drehzahl", CmdBefDrehzahl},
        {"BEF_Motor", CmdBefMotor},
        {"BEF_Kontup", CmdBefKontup},
        {"BEF_Show_SerNr", CmdBefShowSerNr},
        {"BEF_Execute_Ext", CmdBefExecuteExt},
        {"BEF_Beenden", CmdBefBeenden},
    };
    for (const auto& [name, handler] : table) RegisterCommand(CommandFamily::Bef, name, handler);
    RegisterPhaseReset([] { StopBefWaits(false); });
}
