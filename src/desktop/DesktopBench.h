#pragma once
// The test bench in the desktop station: joins start-up (calibration file, automatic mode) and
// shutdown (closing the converter) through the station's hooks, and ends the program when an
// automatic run is over.

#include <functional>
#include <memory>
#include <optional>

#include "AutomaticRun.h"
#include "BenchSession.h"

class DesktopBench {
public:
    // `endProgram` leaves the event loop with the exit code of an automatic run.
    explicit DesktopBench(std::function<void(int)> endProgram);
    ~DesktopBench();
    DesktopBench(const DesktopBench&) = delete;
    DesktopBench& operator=(const DesktopBench&) = delete;

    // Called with the calibration file's settings once one was read (the "Ub" button's values).
    void OnCalibration(std::function<void(const CalibrationSettings&)> handler) { onCalibration_ = std::move(handler); }
    // True when the command line asked for an automatic run.
    bool AutomaticRequested() const { return automatic_ != nullptr; }
    // Starts the automatic run once the window is up.
    void BeginAutomatic();
    // The program's exit code once the event loop has ended: an automatic run's own; a run the
    // window was closed on is aborted (1, "Error.txt"). Without an automatic run `windowCode`.
    int ExitCode(int windowCode);
    static constexpr const char* kAborted = "automatic run aborted";

    BenchSession& Session() { return session_; }

private:
    std::string ConfigurationPath() const;
    void Calibrated();

    BenchSession session_;
    std::unique_ptr<AutomaticRun> automatic_;
    std::function<void(int)> endProgram_;
    std::function<void(const CalibrationSettings&)> onCalibration_;
    std::optional<int> exitCode_;
};
