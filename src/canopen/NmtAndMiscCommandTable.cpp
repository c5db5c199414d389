#include "CanopenCommands.h"
#include "MiscCommands.h"
#include "NmtCommands.h"

std::vector<CanopenCommand> NmtAndMiscCommands() {
    std::vector<CanopenCommand> table;
    for (const NmtCommandEntry& entry : kNmtCommands) {
        const uint8_t specifier = entry.specifier;
        table.push_back({CanopenFamily::Nmt, entry.name,
                         [specifier](TestInstruction& i) { return CmdNmtNodeControl(i, specifier); }});
    }
    table.push_back({CanopenFamily::Nmt, "NMT_Guard", CmdNmtGuard});
    // "Cycle_Test" and "Heartbeat_Test" are deliberately absent: they run as unknown commands.
    table.push_back({CanopenFamily::Misc, "Sync", CmdSync});
    table.push_back({CanopenFamily::Misc, "PDO1", CmdPdo1});
    table.push_back({CanopenFamily::Misc, "PDO1+", CmdPdo1Plus});
    table.push_back({CanopenFamily::Misc, "PDO2", CmdPdo2});
    table.push_back({CanopenFamily::Misc, "PDO2+", CmdPdo2Plus});
    table.push_back({CanopenFamily::Misc, "Gen", CmdGen});
    table.push_back({CanopenFamily::Misc, "WProg", CmdWProg});
    table.push_back({CanopenFamily::Misc, "WaitForId", CmdWaitForId});
    return table;
}

void ResetNmtAndMiscPhases() {
    ResetSyncPhase();
    ResetWProgPhase();
}
