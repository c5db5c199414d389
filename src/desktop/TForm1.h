#pragma once
// The main window: menus, the test control (START, STOP, NEXT and the status label), the node
// control panel, the protocol grid and the status bar. It is the shell of the desktop station
// and shows what the runner, the loader and the channel report.

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "DesktopStation.h"
#include "MainWindowTexts.h"
#include "StationView.h"

class DesktopOperator;
class NodeControl;
class ProtocolGridModel;
class QLabel;
class QPushButton;
class QTableView;
class TformAbout;
class TformBaudSearch;
class TformEdit;
class TformInterAct;
class TformSerNrShow;

class TForm1 final : public QMainWindow, public StationView, public ChannelStatusPort, public StartUpShell {
    Q_OBJECT
public:
    // Creates the window and its dialogs, and installs itself as the station's view, channel
    // status and operator. `pipeName`: where the remote-control pipe is created.
    explicit TForm1(std::string pipeName = DefaultControlPipeName(), QWidget* parent = nullptr);
    ~TForm1() override;

    // The start-up sequence; shows nothing by itself (the caller shows the window, minimized
    // when the result says so).
    StartUpResult StartUp(const std::vector<std::string>& arguments);
    DesktopStation& Station() { return *station_; }
    NodeControl& Node() { return *nodeControl_; }
    // The exit code the program ends with once the window is closed.
    int ExitCode() const { return exitCode_; }

    // StationView
    void ShowRunStatus(const std::string& text, StatusColor color) override;
    void ShowStatusBar(const std::string& text) override;
    void RestoreWindow() override;
    void RefreshNodePanel() override;
    void ShowTestHistory(const FileHistory& history) override;
    void RunEnded(RunEnd reason, int exitCode) override;
    // ChannelStatusPort
    void ShowCanStatus(const std::string& text, StatusColor color) override;
    void ShowBitRate(int kbit) override;
    // StartUpShell
    void SetCaption(const std::string& caption) override;
    void ApplyLanguageTables() override;

    // Event handlers.
    void btnStartClick();
    void btnStopClick();
    void btnWeiterClick();
    void mnuLoadTestClick();
    void mnuTestDatClick(int index);
    void mnuCanEnableClick();
    void mnuCanCloseClick();
    void mnuCanResetClick();
    void mnuHardwarePopup();
    void mnuHardwareEntryClick(int tag, const std::string& caption);
    void mnuClearHistoryClick();
    void mnuHelpContentsClick();
    void mnuAboutClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BindActions();
    void Bind(const char* name, std::function<void()> handler);
    // Scrolls the grid's current row into view: at once, then at most every kScrollIntervalMs
    // while rows keep coming, so a fast test does not repaint the grid on every row.
    void ScrollToCurrentRow(int modelRow);
    void ScrollTick();

    std::unique_ptr<DesktopStation> station_;
    std::unique_ptr<DesktopOperator> operator_;
    ProtocolGridModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* labStatus_ = nullptr;
    QLabel* labCANStat_ = nullptr;
    QLabel* labBaudr_ = nullptr;
    QLabel* labNodeId_ = nullptr;
    QLabel* labTimer_ = nullptr;
    QLabel* labTimLong_ = nullptr;
    QLabel* labTestFile_ = nullptr;
    TformInterAct* interAct_ = nullptr;
    TformEdit* edit_ = nullptr;
    TformAbout* about_ = nullptr;
    TformSerNrShow* serNrShow_ = nullptr;
    class TformLoadParam* loadParam_ = nullptr;
    class TformObjects* objects_ = nullptr;
    class TformCanParMem* parMem_ = nullptr;
    TformBaudSearch* baudSearch_ = nullptr;
    std::unique_ptr<NodeControl> nodeControl_;
    std::unique_ptr<TimerPort> scrollTimer_;
    int pendingScrollRow_ = -1;
    NodePanelTexts panel_;
    FileHistory shownHistory_;
    int exitCode_ = 0;
};
