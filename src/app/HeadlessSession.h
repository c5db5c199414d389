#pragma once
// One run of quarzel-run, independent of the event loop that drives its timer: Start() prepares
// the station (configuration, CAN interface, test file) and starts the runner; the owner lets
// timer events happen until Ended(); Finish() writes the reports and the verdict and gives the
// exit code.

#include <functional>
#include <memory>
#include <ostream>

#include "AppCanSettings.h"
#include "HeadlessOperator.h"
#include "HeadlessOptions.h"
#include "ProtocolGrid.h"
#include "SearchBaudNode.h"
#include "StationView.h"
#include "TestRunner.h"

class HeadlessSession final : public StationView, public ProtocolGridListener {
public:
    HeadlessSession(HeadlessOptions options, std::ostream& out, std::ostream& err);
    ~HeadlessSession() override;

    // False when the test cannot run (the reason is printed; Finish() then gives 2).
    bool Start();
    // Reads the configuration and creates the CAN interface, without a test file (tools that
    // talk to the device directly, such as the EDS comparison). False after printing why.
    bool PrepareStation();
    bool Ended() const { return ended_; }
    // Called once when the run ends (to leave the event loop).
    void SetEndCallback(std::function<void()> callback) { onEnd_ = std::move(callback); }
    // The time limit has passed: stop the run.
    void TimeLimitReached();
    // Writes --csv, --junit and --save-ini, prints the verdict; returns the exit code.
    int Finish();

    TestRunner* Runner() { return runner_.get(); }
    const ProtocolGrid& Grid() const { return grid_; }

    // StationView
    void RunEnded(RunEnd reason, int exitCode) override;
    // ProtocolGridListener
    void RowWritten(int row) override;

private:
    bool OpenInterface();
    bool CannotRun(const std::string& why);
    void End();

    HeadlessOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    HeadlessOperator operator_;
    AppCanSettings settings_;
    ProtocolGrid grid_;
    std::unique_ptr<TestRunner> runner_;
    std::unique_ptr<BaudNodeSearch> search_;  // "BEF_SearchBaud", "BEF_SearchNode"
    std::function<void()> onEnd_;
    bool started_ = false;
    bool ended_ = false;
    bool timedOut_ = false;
    RunEnd reason_ = RunEnd::Finished;
    int programExitCode_ = 0;
};
