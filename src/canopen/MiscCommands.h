#pragma once
// The miscellaneous family: Sync bursts, PDO requests, free frames, the production-parameter
// write and waiting for an identifier. ("Marke" belongs to the label commands.)

#include "TestInstruction.h"

// "Sync": parameter 1 the number of Sync frames, 1 to 240 (empty: 1), one per tick; judged
// after the last one.
bool CmdSync(TestInstruction& instruction);
// "PDO1", "PDO2" (identifier Pdo1Id / Pdo2Id) and "PDO1+", "PDO2+" (the same + NodeId): a
// remote request, judged on the next tick.
bool CmdPdo1(TestInstruction& instruction);
bool CmdPdo1Plus(TestInstruction& instruction);
bool CmdPdo2(TestInstruction& instruction);
bool CmdPdo2Plus(TestInstruction& instruction);
// "Gen": a free frame (identifier, DLC, data, optional byte-order template); DLC 0 is a remote
// frame. Judged on the next tick.
bool CmdGen(TestInstruction& instruction);
// "WProg": writes a production parameter on 0x7E5 (strings one character per frame); each
// frame's acknowledge on 0x7E4 is judged on the next tick.
bool CmdWProg(TestInstruction& instruction);
// "WaitForId": waits up to 500 ms for a frame with the expected identifier and checks it.
bool CmdWaitForId(TestInstruction& instruction);

void ResetSyncPhase();
void ResetWProgPhase();
