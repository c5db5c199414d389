#include "CanopenCommands.h"
#include "LssCommands.h"

std::vector<CanopenCommand> LssCommands() {
    std::vector<CanopenCommand> table;
    auto add = [&table](const char* name, std::function<bool(TestInstruction&)> handler) {
        table.push_back({CanopenFamily::Lss, name, std::move(handler)});
    };
    add("LSS_Switch_Select", [](TestInstruction& i) { return CmdLssSwitchSelect(i, false); });
    add("LSS_Switch_Select_V", [](TestInstruction& i) { return CmdLssSwitchSelect(i, true); });
    add("LSS_Switch_Global_Config", CmdLssSwitchGlobalConfig);
    add("LSS_Switch_Global_Operate", CmdLssSwitchGlobalOperate);
    // "LSS_Act_Timing" is deliberately absent: activating a bit timing is not offered, so it
    // runs as an unknown command.
    for (const LssServiceEntry& service : kLssServices)
        add(service.name, [&service](TestInstruction& i) { return CmdLssService(i, service); });
    add("LSS_Ident_Remote_Slave", [](TestInstruction& i) { return CmdLssIdentRemoteSlave(i, false); });
    add("LSS_Ident_Remote_Slave_V", [](TestInstruction& i) { return CmdLssIdentRemoteSlave(i, true); });
    return table;
}

void ResetLssPhases() { ResetLssSequences(); }
