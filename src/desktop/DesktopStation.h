#pragma once
// The desktop station apart from its windows: the protocol grid, the runner, the remote-control
// pipe with its poll timer `timControl`, and the start-up and shutdown sequences. The main
// window is its shell; it installs the operator, the station view and the channel status.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppCanSettings.h"
#include "CommandLineOptions.h"
#include "ControlPipe.h"
#include "HrTime.h"
#include "ProtocolGrid.h"
#include "TestRunner.h"

// What start-up needs from the main window.
class StartUpShell {
public:
    virtual ~StartUpShell() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    // The main menu table, then the main window table.
    virtual void ApplyLanguageTables() = 0;
};

// Where other parts of the station join start-up and shutdown. Empty hooks do nothing.
struct StartUpHooks {
    // testfile=<a value without ".tst">: reads that calibration file; true when it was read
    // (then the base test file is not loaded).
    std::function<bool(const std::string& path)> readCalibrationFile;
    // Automatic mode: receives the command line at the end of start-up.
    std::function<void(const DesktopOptions& options)> startAutomaticMode;
    // Shutdown: closes the test-bench converter when it is open.
    std::function<void()> closeConverter;
};
StartUpHooks& DesktopHooks();

struct StartUpResult {
    // False when the operator declined to go on with a configuration of another version: the
    // program ends without writing quarzel.ini.
    bool proceed = true;
    bool minimized = false;
};

class DesktopStation {
public:
    explicit DesktopStation(StartUpShell& shell, std::string pipeName = DefaultControlPipeName());
    ~DesktopStation();
    DesktopStation(const DesktopStation&) = delete;
    DesktopStation& operator=(const DesktopStation&) = delete;

    // Reads quarzel.ini from the current folder and prepares the station: caption, command line,
    // version check, CAN hardware, pipe, language, history, grid and labels, base test file.
    StartUpResult StartUp(const std::vector<std::string>& arguments);
    // Stops the runner, closes the channel and the converter and writes quarzel.ini into the
    // start folder (once; later calls do nothing). Returns the program's exit code, 0.
    int ShutDown();

    ProtocolGrid& Grid() { return grid_; }
    TestRunner& Runner() { return *runner_; }
    ControlPipe& Pipe() { return pipe_; }
    // `timControl`: polls the pipe every 100 ms from the start; stopped in automatic mode.
    TimerPort& ControlTimer() { return *controlTimer_; }
    const DesktopOptions& Options() const { return options_; }
    const std::string& StartFolder() const { return startFolder_; }
    bool IsShutDown() const { return shutDown_; }

private:
    void SelectHardware();
    void LoadBaseFile();

    StartUpShell& shell_;
    AppCanSettings settings_;
    ProtocolGrid grid_;
    std::unique_ptr<TestRunner> runner_;
    ControlPipe pipe_;
    std::unique_ptr<TimerPort> controlTimer_;
    DesktopOptions options_;
    std::string startFolder_;
    HrTime startTime_;
    bool shutDown_ = false;
};
