#pragma once
// Driving the device by hand from the main window: the node-parameter editors, the single
// commands of the menus and buttons (run by the test runner in interactive mode, so their rows
// appear in the protocol grid), the search buttons, the connect sequence and the supply button.
// No widgets here: the main window binds its controls to these handlers by name.

#include <memory>
#include <string>
#include <vector>

#include "Ports.h"
#include "SearchBaudNode.h"
#include "TestInstruction.h"

class TestRunner;

// Which runner interval a single command sets.
enum class CommandInterval { Unchanged, Timer, TimerLong };

class NodeControl final : public SearchReportPort {
public:
    static constexpr int kProcessIntervalMs = 1000;
    // Supply switched on by the "Ub" button until a calibration file says otherwise.
    static constexpr double kDefaultSupplyVolts = 24.0;
    static constexpr double kDefaultSupplyMilliAmps = 100.0;

    // `search` is the search window's logic; the process timer comes from CreateTimer().
    NodeControl(TestRunner& runner, BaudNodeSearch& search);
    ~NodeControl() override;
    NodeControl(const NodeControl&) = delete;
    NodeControl& operator=(const NodeControl&) = delete;

    // The search window's own part of the search reports (candidate, showing the window).
    void SetSearchWindow(SearchReportPort* window) { window_ = window; }

    // kbit/s; false (nothing changed) for a rate outside the table.
    bool SetBitRate(int64_t kbit);
    // 0 .. 127; false (nothing changed) otherwise.
    bool SetNodeId(int64_t value);
    void RefreshNodePanel();

    // Runs interactive record 0 as filled in `record`. False when refused: the channel cannot be
    // opened, a test is running, or a single command still waits for its answer.
    bool RunSingleCommand(const TestInstruction& record, CommandInterval interval);

    // The handler of a menu entry or button by its control name (parameter editors, single
    // commands, searches, connect, supply). False for a name this class does not handle.
    bool Handle(const std::string& controlName);
    // Every control name Handle knows.
    static std::vector<std::string> ControlNames();

    void btnNodeConnectClick();
    void timProcessTimer();
    // A search starts (from a button, a menu or a script step): busy, and the status label.
    void SearchStarting(BaudNodeSearch::Kind kind);
    void btnSearchNodeClick();
    void btnSearchBaudClick();
    void Button1Click();

    // Values the calibration file gives for the "Ub" button.
    void SetSupplySetting(double volts, double milliAmps);
    bool SupplyOn() const { return supplyOn_; }

    // Connect sequence state.
    int ConnectStep() const { return step_; }
    bool SearchBusy() const { return busy_; }
    TimerPort& ProcessTimer() { return *timProcess_; }
    // The last text this class put into the main window's status label.
    const std::string& StatusText() const { return statusText_; }

    // SearchReportPort
    void ShowSearchStatus(const std::string& text, StatusColor color) override;
    void ShowCandidate(int nodeId) override;
    void ShowSearchWindow() override;
    void ApplyNodeId(int nodeId) override;
    void SearchEnded() override;

private:
    bool EditParameter(const std::string& controlName);
    bool RunTableCommand(const std::string& controlName);
    bool RunLssWithDialog(const std::string& command, const std::string& caption, const std::string& initial);
    bool RunSdoDialog(bool upload);
    void ShowStatus(const std::string& text, StatusColor color);

    TestRunner& runner_;
    BaudNodeSearch& search_;
    SearchReportPort* window_ = nullptr;
    std::unique_ptr<TimerPort> timProcess_;
    int step_ = 0;
    bool busy_ = false;
    bool supplyOn_ = false;
    double supplyVolts_ = kDefaultSupplyVolts;
    double supplyMilliAmps_ = kDefaultSupplyMilliAmps;
    std::string statusText_;
};

// Registers Handle for every control name of NodeControl with the main window's actions (a
// name that already has a handler keeps it), and removes those registrations again.
void RegisterNodeControlActions(NodeControl& control);
void UnregisterNodeControlActions();
