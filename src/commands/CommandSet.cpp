#include "CommandSet.h"

#include "LabelCommands.h"

void RegisterAllCommands() {
    // Each family adds its registration here as it lands.
    RegisterLabelCommands();
}
