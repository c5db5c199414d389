#pragma once
// The SDO client commands. Each first call sends the initiate request and leaves its
// continuation in the run's pendingStep; the continuation judges the answers and sends the
// segments, segment requests and aborts until the transfer is finished.

#include "TestInstruction.h"

// "SDO_UpInit": upload, expedited or segmented as the device answers.
bool CmdSdoUpInit(TestInstruction& instruction);
// "SDO_DownInitExped": expedited download of 1 to 4 bytes.
bool CmdSdoDownInitExped(TestInstruction& instruction);
// "SDO_DownInit": segmented download of a quoted string or of a hex text file's bytes.
bool CmdSdoDownInit(TestInstruction& instruction);
