#include "CommandSet.h"

#include "BefCommands.h"
#include "CanopenCommands.h"
#include "Dispatcher.h"
#include "LabelCommands.h"

namespace {
CommandFamily FamilyOf(CanopenFamily f) {
    switch (f) {
        case CanopenFamily::Nmt: return CommandFamily::Nmt;
        case CanopenFamily::Sdo: return CommandFamily::Sdo;
        case CanopenFamily::Lss: return CommandFamily::Lss;
        case CanopenFamily::Misc: break;
    }
    return CommandFamily::Misc;
}

void RegisterTable(const std::vector<CanopenCommand>& table) {
    for (const auto& c : table) RegisterCommand(FamilyOf(c.family), c.name, c.handler);
}
}  // namespace

void RegisterAllCommands() {
    // Each family adds its registration here as it lands.
    RegisterLabelCommands();
    RegisterBefCommands();
    RegisterTable(NmtAndMiscCommands());
    RegisterTable(SdoCommands());
    RegisterTable(LssCommands());
    RegisterPhaseReset(ResetNmtAndMiscPhases);
    RegisterPhaseReset(ResetSdoPhases);
    RegisterPhaseReset(ResetLssPhases);
}
