#pragma once
// "BEF_Beenden": ends the program with an exit code taken from the test.

#include <cstdint>

// The process exit status carries 0..255 only. Codes in that range pass unchanged; any other
// code (negative, or above 255) becomes 255, so that a failure can never read as success
// (256 would otherwise arrive as 0).
int ProgramExitStatus(int64_t code);
