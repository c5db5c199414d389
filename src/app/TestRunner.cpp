#include "TestRunner.h"

#include <QLoggingCategory>
#include <cstdlib>

#include "CanChannel.h"
#include "Dispatcher.h"
#include "NamedValueList.h"
#include "StationView.h"
#include "StringHelpers.h"

Q_LOGGING_CATEGORY(lcRunner, "quarzel.runner", QtWarningMsg)

namespace {
// Marks the runner as inside a tick for the tick's duration.
class TickGuard {
public:
    explicit TickGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TickGuard() { flag_ = false; }

private:
    bool& flag_;
};

int64_t ElapsedMs(const HrTime& from, const HrTime& to) {
    const uint64_t a = from.TotalMicroseconds(), b = to.TotalMicroseconds();
    return b > a ? static_cast<int64_t>((b - a) / 1000u) : 0;
}
}  // namespace

TestRunner::TestRunner(ProtocolGrid& grid) : grid_(grid), timer_(CreateTimer()) {
    timer_->SetHandler([this] { RunnerTick(); });
    SetRunControl(this);
}

TestRunner::~TestRunner() {
    timer_->Stop();
    CloseRunRecord(StoppedRunOutcome());
    if (&CurrentRunControl() == this) SetRunControl(nullptr);
}

void TestRunner::StartTimer() {
    lastTick = HrTimeNow();
    timer_->Start(intervalMs_);
}

void TestRunner::InitProtocolGrid() {
    grid_.Clear();
    rowCounter = 1;
    errorCount = 0;
}

bool TestRunner::StartTest() {
    if (!CurrentTest().testLoaded) {
        CurrentOperator().ShowMessage("Test file was not loaded", "START");
        return false;
    }
    CloseRunRecord(StoppedRunOutcome());
    LoopCounters().Clear();
    ResetCommandPhases();
    InitProtocolGrid();
    if (!CanOpen()) return false;
    recording_.Begin();
    CurrentStationView().RefreshNodePanel();

    ScriptRun& run = CurrentRun();
    run.currentIndex = -1;
    run.pendingStep = nullptr;
    run.jumpTarget = 0;
    run.interactiveMode = false;
    run.lastStatus = STATUS_OK;
    rowCounter = 1;
    startTime = HrTimeNow();
    finished = false;
    CurrentStationView().ShowRunStatus("active", StatusColor::Yellow);

    uint32_t timer = 0;
    if (ScriptVariables().Lookup("Timer", timer) && static_cast<int32_t>(timer) >= 1)
        intervalMs_ = static_cast<int32_t>(timer);
    StartTimer();
    return true;
}

void TestRunner::StopTest() {
    timer_->Stop();
    CurrentStationView().ShowRunStatus("stopped", StatusColor::Default);
}

void TestRunner::ContinueTest() {
    if (!finished) StartTimer();
    CurrentStationView().ShowRunStatus("active", StatusColor::Yellow);
}

void TestRunner::ResetProtocol() {
    CloseRunRecord(StoppedRunOutcome());
    InitProtocolGrid();
    CanOpen();
}

void TestRunner::CloseChannel() {
    timer_->Stop();
    if (CanClose()) {
        CurrentChannelStatus().ShowCanStatus("CAN channel closed", StatusColor::Default);
    } else {
        CurrentChannelStatus().ShowCanStatus("Initialization error " + std::to_string(CanGetStatus()),
                                             StatusColor::Default);
    }
}

void TestRunner::RunnerTick() {
    // A modal dialog opened by a step runs its own event loop: its ticks must not re-enter.
    if (inTick_) return;
    TickGuard guard(inTick_);

    const HrTime now = HrTimeNow();
    const int64_t elapsed = ElapsedMs(lastTick, now);
    if (elapsed + kEarlyTickToleranceMs < intervalMs_) {
        qCDebug(lcRunner, "Timer interval too short!!!\nInterval: %d, actual: %d", intervalMs_,
                static_cast<int>(elapsed));
        return;
    }
    lastTick = now;

    if (!CanActive) {
        timer_->Stop();
        const std::string text = "Test end";
        std::array<const std::string*, kGridColumns> cells{};
        cells[COL_COMMAND] = &text;
        grid_.WriteRow(rowCounter, cells);
        EndRunRecord(RunEnd::ChannelLost, 0);
        CurrentStationView().RunEnded(RunEnd::ChannelLost, 0);
        return;
    }

    ScriptRun& run = CurrentRun();
    if (run.interactiveMode) {
        if (run.pendingStep) {
            RunPending(run.interactiveInstructions[0]);
        } else {
            timer_->Stop();
            finished = true;
            AdvanceRow();  // an empty row separates the single commands
        }
        return;
    }

    auto& instructions = CurrentTest().instructions;
    const auto count = static_cast<int64_t>(instructions.size());
    if (run.pendingStep) {
        if (run.currentIndex >= 0 && run.currentIndex < count)
            RunPending(instructions[static_cast<size_t>(run.currentIndex)]);
        else
            run.pendingStep = nullptr;
        return;
    }

    if (run.jumpTarget != 0) {
        run.currentIndex = static_cast<int32_t>(std::min<int64_t>(run.jumpTarget, count));
        run.jumpTarget = 0;
    } else {
        ++run.currentIndex;
    }
    if (run.currentIndex >= count) {
        EndOfTest();
        return;
    }
    ScriptVariables().Set("ErrorCount", static_cast<uint32_t>(errorCount));
    Dispatch(instructions, run.currentIndex);
    WriteProtocolRow();
}

void TestRunner::Dispatch(std::span<const TestInstruction> instructions, int index) {
    // Each instruction starts from an empty row, so nothing of the previous step shows in it.
    ProtocolLine& line = CurrentRun().protocolLine;
    line = ProtocolLine{};
    if (DispatchInstruction(instructions, index)) return;
    line.status = STATUS_ERR_SYN;
    line.errorText = "unbekannter Befehl";
    if (line.commandText.empty()) line.commandText = instructions[static_cast<size_t>(index)].command;
}

void TestRunner::RunPending(TestInstruction& record) {
    // The step may replace or clear itself; call the one that was pending.
    const StepFunction step = CurrentRun().pendingStep;
    if (step(record)) {
        WriteProtocolRow();
        return;
    }
    WriteProtocolRow();
    step(record);
    WriteProtocolRow();
}

void TestRunner::EndOfTest() {
    timer_->Stop();
    finished = true;
    const std::string command = "Test end", ascii = "Error", status = std::to_string(errorCount);
    std::array<const std::string*, kGridColumns> cells{};
    cells[COL_COMMAND] = &command;
    cells[COL_ASCII] = &ascii;
    cells[COL_STATUS] = &status;
    grid_.WriteRow(rowCounter, cells);
    AdvanceRow();
    CurrentStationView().ShowRunStatus("finished", errorCount == 0 ? StatusColor::Green : StatusColor::Red);
    EndRunRecord(RunEnd::Finished, 0);
    CurrentStationView().RunEnded(RunEnd::Finished, 0);
}

void TestRunner::AdvanceRow() {
    ++rowCounter;
    if (grid_.RowCount() - rowCounter < 50) grid_.SetRowCount(grid_.RowCount() + ProtocolGrid::kGrowRows);
    grid_.SetCurrentRow(rowCounter);
}

void TestRunner::WriteProtocolRow() {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    line.rowTime = HrTimeNow();
    const auto& instructions = CurrentTest().instructions;

    GridRow row;
    std::array<const std::string*, kGridColumns> cells{};
    auto put = [&](int column, std::string text) {
        row[column] = std::move(text);
        cells[column] = &row[column];
    };
    if (line.transmit) put(COL_NO, std::to_string(run.currentIndex));
    put(COL_TIME, FormatElapsed(startTime, line.rowTime));
    put(COL_COMMAND, CutText(line.commandText, kCommandTextChars) + " " + CutText(line.extraText1, kExtraTextChars) +
                         " " + CutText(line.extraText2, kExtraTextChars));
    put(COL_RT, line.transmit ? "T" : "R");
    put(COL_ID, CutText(line.idText, kColumnTextChars));
    if (line.valueShown) put(COL_VALUE, CutText(line.valueText, kColumnTextChars));
    put(COL_DLC, CutText(line.dlcText, kDlcTextChars));
    const int n = std::clamp(std::atoi(line.dlcText.c_str()), 0, 8);
    for (int k = 0; k < n; ++k) put(COL_DATA0 + k, CutText(line.dataText[static_cast<size_t>(k)], kDataTextChars));
    put(COL_ASCII, CutText(line.asciiText, kAsciiTextChars));
    if (line.status == STATUS_OK || IsErrorStatus(line.status)) put(COL_STATUS, StatusText(line.status));
    if (IsErrorStatus(line.status)) ++errorCount;
    if (line.transmit && !run.interactiveMode) {
        // Outside a test (index -1 or past the end) there is no instruction line to show.
        const bool inTest = run.currentIndex >= 0 && static_cast<size_t>(run.currentIndex) < instructions.size();
        put(COL_LINE, inTest ? std::to_string(instructions[static_cast<size_t>(run.currentIndex)].lineNumber) : "0");
    } else {
        put(COL_LINE, "");
    }
    grid_.WriteRow(rowCounter, cells);
    run.lastStatus = line.status;
    if (line.status != STATUS_OK) {
        StationView& view = CurrentStationView();
        view.RestoreWindow();
        view.ShowRunStatus("active, Error: " + std::to_string(errorCount), StatusColor::Orange);
    }
    AdvanceRow();
}

void TestRunner::RunInteractiveCommand(int intervalMs) {
    CloseRunRecord(StoppedRunOutcome());
    ScriptRun& run = CurrentRun();
    ResetCommandPhases();
    run.interactiveMode = true;
    run.pendingStep = nullptr;
    Dispatch(run.interactiveInstructions, 0);
    WriteProtocolRow();
    finished = true;
    if (intervalMs >= 1) intervalMs_ = intervalMs;
    StartTimer();
}

void TestRunner::StopScriptTimer() { timer_->Stop(); }

void TestRunner::StartScriptTimer() { StartTimer(); }

void TestRunner::SetScriptTimerInterval(int intervalMs) {
    if (intervalMs < 1) return;
    intervalMs_ = intervalMs;
    if (timer_->IsActive()) StartTimer();
}

void TestRunner::AbandonRun() {
    timer_->Stop();
    EndRunRecord(RunEnd::Abandoned, 0);
    CurrentStationView().RunEnded(RunEnd::Abandoned, 0);
}

void TestRunner::EndProgram(int exitCode) {
    timer_->Stop();
    finished = true;
    EndRunRecord(RunEnd::ProgramEnd, exitCode);
    CurrentStationView().RunEnded(RunEnd::ProgramEnd, exitCode);
}

void TestRunner::EndRunRecord(RunEnd reason, int exitCode) {
    if (recording_.IsOpen()) CloseRunRecord(RunOutcomeOf(reason, errorCount, exitCode));
}
