#include "CanopenCommands.h"
#include "SdoCommands.h"
#include "SdoTransfer.h"

std::vector<CanopenCommand> SdoCommands() {
    return {
        {CanopenFamily::Sdo, "SDO_UpInit", CmdSdoUpInit},
        {CanopenFamily::Sdo, "SDO_DownInitExped", CmdSdoDownInitExped},
        {CanopenFamily::Sdo, "SDO_DownInit", CmdSdoDownInit},
    };
}

void ResetSdoPhases() { ResetSdoTransfer(); }
