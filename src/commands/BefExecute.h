#pragma once
// "BEF_Execute_Ext": runs an external program and waits for its end without blocking the
// station. The runner is paused while the program runs; a poll timer watches the process on
// its ticks, and when the program has ended the result row is written and the runner resumed.

#include <string>

inline constexpr int kExternalPollMs = 50;
// Longest blocking wait per poll tick (real time) and for the program to start.
inline constexpr int kExternalPollBlockMs = 20;
inline constexpr int kExternalStartMs = 5000;

// True while a program started by "BEF_Execute_Ext" runs.
bool ExternalProgramRunning();
// Ends the wait for a running program: kills it, reopens the channel if the command closed it
// and, when `writeRow`, writes a row "BEF_Execute_Ext    !Program stopped" with "Err Ans". The runner stays
// paused. Nothing happens when no program runs.
void StopExternalProgram(bool writeRow);

// The two bytes of a termination status as "%d, %d" (high byte, low byte): a normal exit has
// the exit code in the high byte and 0 in the low byte; a crash has the signal (or 0x7F) in the
// low byte.
struct TerminationStatus {
    bool crashed = false;
    int exitCode = 0;
};
std::string TerminationStatusText(const TerminationStatus& status);
