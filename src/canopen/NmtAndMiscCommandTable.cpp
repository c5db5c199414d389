#include "CanopenCommands.h"

std::vector<CanopenCommand> NmtAndMiscCommands() { return {}; }

void ResetNmtAndMiscPhases() {}
