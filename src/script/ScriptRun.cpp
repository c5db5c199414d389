#include "ScriptRun.h"

namespace {
class NoRunControl final : public RunControl {
public:
    void WriteProtocolRow() override {}
    void StopScriptTimer() override {}
    void StartScriptTimer() override {}
    void SetScriptTimerInterval(int) override {}
    void AbandonRun() override {}
    void EndProgram(int) override {}
};
RunControl* g_control = nullptr;
}  // namespace

ScriptRun& CurrentRun() {
    static ScriptRun run;
    return run;
}

RunControl& CurrentRunControl() {
    static NoRunControl none;
    return g_control ? *g_control : none;
}

void SetRunControl(RunControl* control) { g_control = control; }
