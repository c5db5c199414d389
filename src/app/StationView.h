#pragma once
// The main window's state as the runner and the test-file loader change it: the status label,
// the status bar, the node-parameter panel, the history menu, and the end of a run. The desktop
// window implements it; the headless runner implements what it prints.

#include <string>

#include "FileHistory.h"
#include "Ports.h"

// Why a run ended.
enum class RunEnd {
    Finished,     // after the last instruction, with the verdict
    ChannelLost,  // the CAN channel was not active: "Test end" without a verdict
    Abandoned,    // a step left the runner paused (failed search, failed programming)
    ProgramEnd,   // the test ended the program ("BEF_Beenden")
};

class StationView {
public:
    virtual ~StationView() = default;
    // The status label: "ready", "active", "active, Error: %d", "stopped", "finished".
    virtual void ShowRunStatus(const std::string& /*text*/, StatusColor /*color*/) {}
    // The status bar: the loaded test file's path or "no test file loaded".
    virtual void ShowStatusBar(const std::string& /*text*/) {}
    // A row with a non-zero status: bring a minimized window back and repaint.
    virtual void RestoreWindow() {}
    virtual void RefreshNodePanel() {}
    // The ten test-file history entries of the file menu.
    virtual void ShowTestHistory(const FileHistory& /*history*/) {}
    // `exitCode` is meaningful for RunEnd::ProgramEnd.
    virtual void RunEnded(RunEnd /*reason*/, int /*exitCode*/) {}
};

StationView& CurrentStationView();
void SetStationView(StationView* view);
