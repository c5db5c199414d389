#pragma once
// The command wait timer `timWait` (500 ms): "BEF_SearchBaud", "BEF_SearchNode" and
// "BEF_LoadPara" pause the runner, start their search or the parameter load and let this timer
// watch it; the timer resumes the runner when it succeeded, or ends the run when a search
// found nothing.

enum class BefWaitMode : int {
    Idle = 0,
    BaudSearch = 1,
    NodeSearch = 2,
    ParameterLoad = 4,
};

inline constexpr int kBefWaitIntervalMs = 500;

// Starts `timWait` in `mode`.
void StartBefWait(BefWaitMode mode);
// Stops `timWait` without resuming the runner.
void StopBefWait();
BefWaitMode CurrentBefWaitMode();
