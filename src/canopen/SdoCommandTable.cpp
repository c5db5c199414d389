#include "CanopenCommands.h"

std::vector<CanopenCommand> SdoCommands() { return {}; }

void ResetSdoPhases() {}
