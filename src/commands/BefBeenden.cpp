#include "BefBeenden.h"

#include "BefCommands.h"
#include "CanChannel.h"
#include "NamedValueList.h"
#include "Numbers.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

int ProgramExitStatus(int64_t code) { return code >= 0 && code <= 255 ? static_cast<int>(code) : 255; }

bool CmdBefBeenden(TestInstruction& instruction) {
    ProtocolLine& line = CurrentRun().protocolLine;
    BeginBefRow(line, BefCommandName(instruction) + "  ");
    const std::string_view value = ParamValue(instruction.param1);
    int64_t code = 0;
    if (!value.empty() && value.front() == '&') {
        uint32_t low = 0;
        if (!ScriptVariables().Lookup(std::string(value.substr(1)), low)) return false;
        code = static_cast<int32_t>(low);
    } else {
        int32_t number = 0;
        if (!ReadInteger(value, number)) return false;
        code = number;
    }
    line.commandText += std::to_string(code);
    // The configuration is written by the program's own shutdown, which ending the program runs.
    CanClose();
    CurrentRunControl().EndProgram(ProgramExitStatus(code));
    return true;
}
