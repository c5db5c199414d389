#pragma once
// The continuity test as the automatic mode runs it. The continuity test installs the port; the
// automatic mode starts the run and polls its result.

#include <string>

// The continuity test's result query: its completed flag and the code and text of its result
// (0 "no error", 1 "driver error", 2 "test file not found", 3 "code cycle failed", 4 "no answer
// from encoder").
struct ContinuityResult {
    bool completed = false;
    int code = 0;
    std::string text;
};

class ContinuityRunPort {
public:
    virtual ~ContinuityRunPort() = default;
    // Opens the continuity test and starts its run; false when it cannot start.
    virtual bool Start() = 0;
    virtual ContinuityResult Result() const = 0;
};

// The installed continuity test, or null (the automatic mode then fails with kNoContinuityTest).
ContinuityRunPort* CurrentContinuityRun();
void SetContinuityRun(ContinuityRunPort* port);
inline constexpr const char* kNoContinuityTest = "continuity test not available";

// Set when the calibration start-up or the automatic mode loads its continuity test file: the
// continuity test then counts revolutions up to the file's "Cycle count: " and starts its active
// request mode at once.
bool CycleCountMode();
void SetCycleCountMode(bool on);
