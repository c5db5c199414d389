#include "CanopenCommands.h"

std::vector<CanopenCommand> LssCommands() { return {}; }

void ResetLssPhases() {}
