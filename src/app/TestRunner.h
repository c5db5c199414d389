#pragma once
// The test runner: executes the loaded test one instruction per timer tick, lets waiting
// commands continue on later ticks, writes one protocol row per step, counts errors and ends
// with the verdict. It also runs the single commands of the menus (interactive mode).

#include <memory>
#include <span>

#include "HrTime.h"
#include "Ports.h"
#include "ProtocolGrid.h"
#include "RunRecord.h"
#include "ScriptRun.h"

class TestRunner final : public RunControl {
public:
    static constexpr int kInitialIntervalMs = 5;
    // A tick that comes more than this many ms before its interval is ignored.
    static constexpr int kEarlyTickToleranceMs = 20;

    // Installs itself as the run control of the commands; the timer comes from CreateTimer().
    explicit TestRunner(ProtocolGrid& grid);
    ~TestRunner() override;
    TestRunner(const TestRunner&) = delete;
    TestRunner& operator=(const TestRunner&) = delete;

    // START: begins the loaded test at its first instruction. False when it did not start
    // (no test loaded, or the CAN channel could not be opened).
    bool StartTest();
    // STOP: pauses; the position and a waiting command are kept.
    void StopTest();
    // WEITER: resumes a stopped run (not a finished one).
    void ContinueTest();
    // Menu CAN, Reset: clears the protocol and makes sure the channel is open.
    void ResetProtocol();
    // Menu CAN, close channel.
    void CloseChannel();
    // The timer's handler.
    void RunnerTick();

    // Empties the grid; rowCounter 1, errorCount 0.
    void InitProtocolGrid();
    // Runs interactive record 0 (filled by the caller) as a single command: resets the command
    // phases, dispatches it, writes its row and lets the timer continue it at `intervalMs`
    // (below 1: the current interval).
    void RunInteractiveCommand(int intervalMs);

    // RunControl
    void WriteProtocolRow() override;
    void StopScriptTimer() override;
    void StartScriptTimer() override;
    void SetScriptTimerInterval(int intervalMs) override;
    void AbandonRun() override;
    void EndProgram(int exitCode) override;

    // The open run's archive record: opened by StartTest, closed once when the run ends; a
    // stopped run is closed as "stopped" when the next START, a protocol reset, a single
    // command or the end of the runner replaces it.
    void CloseRunRecord(const RunOutcome& outcome) { recording_.End(grid_, errorCount, outcome); }
    bool RunRecordOpen() const { return recording_.IsOpen(); }

    int IntervalMs() const { return intervalMs_; }
    bool TimerActive() const { return timer_->IsActive(); }
    ProtocolGrid& Grid() { return grid_; }

    // Run state.
    int32_t rowCounter = 1;
    int32_t errorCount = 0;
    bool finished = true;
    HrTime startTime;
    HrTime lastTick;

private:
    // Dispatches one instruction; a command nobody executes gives "Err Syn".
    void Dispatch(std::span<const TestInstruction> instructions, int index);
    void RunPending(TestInstruction& record);
    void EndOfTest();
    void AdvanceRow();
    void StartTimer();

    void EndRunRecord(RunEnd reason, int exitCode);

    ProtocolGrid& grid_;
    RunRecording recording_;
    std::unique_ptr<TimerPort> timer_;
    int intervalMs_ = kInitialIntervalMs;
    bool inTick_ = false;
};
