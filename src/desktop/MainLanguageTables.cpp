#include "MainLanguageTables.h"

namespace {
constexpr LanguageRow kMainWindowRows[] = {
    {TextKind::Button, "btnSearchBaud", "Bit Rate"},
    {TextKind::Button, "btnSearchNode", "Node"},
    {TextKind::Button, "btnNodeConnect", "Connect"},
    {TextKind::Button, "btnStart", "START"},
    {TextKind::Button, "btnStop", "STOP"},
    {TextKind::Button, "btnWeiter", "NEXT"},
    {TextKind::Button, "btnSync", "SYNC"},
    {TextKind::Button, "btnPDO1", "PDO1"},
    {TextKind::Button, "btnPDO2", "PDO2"},
    {TextKind::Button, "btnUpload", "Upload"},
    {TextKind::Button, "btnDnLoad", "Download"},
    {TextKind::Button, "btnStartNode", "Start"},
    {TextKind::Button, "btnPreOp", "PreOp"},
    {TextKind::Button, "btnStopNode", "Stop"},
    // No control of the main window bears the next four names; the store and restore buttons
    // keep their own captions.
    {TextKind::Button, "btnSaveAllTag", "Save All"},
    {TextKind::Button, "btnLoadTag", "Load Default"},
    {TextKind::Button, "btnSaveNodeIdTag", "Save NodeId"},
    {TextKind::Button, "btnLoadNodeIdTag", "Load NodeId"},
    {TextKind::Label, "Label8", "Test control"},
    {TextKind::Label, "Label4", "Node control"},
    {TextKind::Label, "Label3", "Baudrate [kBaud]:"},
    {TextKind::Label, "Label1", "Node address:"},
    {TextKind::Label, "Label7", "Timer [ms]:"},
    {TextKind::Label, "Label6", "Long timer [ms]:"},
    {TextKind::Label, "Label2", "CAN status:"},
    {TextKind::Label, "labBaudr", "Baudrate:"},
    {TextKind::Label, "labTimer", "Timer"},
    {TextKind::Label, "labCANStat", "CAN status:"},
    {TextKind::Label, "labTimLong", "Long timer"},
    {TextKind::Label, "labNodeId", "Node address"},
    {TextKind::GroupBox, "Baudrate", "Baudrate"},
    {TextKind::Hint, "btnNodeConnect",
     "Automatically switch on the node. If node search fails, use menu item 'Search node with guarding'."},
    {TextKind::Hint, "btnSearchNode",
     "Search the node address. If node search fails, use menu item 'Search node with guarding'."},
    {TextKind::Hint, "btnSearchBaud", "Search the bitrate."},
    {TextKind::Hint, "btnSaveNodeIdTag", "Save objects 0x2xxx."},
    {TextKind::Hint, "btnLoadNodeIdTag", "Load default for objects 0x2xxx."},
};

// In menu order.
constexpr LanguageRow kMainMenuRows[] = {
    {TextKind::MenuItem, "mnuFile", "&File"},
    {TextKind::MenuItem, "mnuLoadTest", "Load &test file"},
    {TextKind::MenuItem, "mnuExit", "E&xit"},
    {TextKind::MenuItem, "mnuCanEnable", "&Enable"},
    {TextKind::MenuItem, "mnuCanClose", "&Close channel"},
    {TextKind::MenuItem, "mnuSetBaud", "Set &baudrate"},
    {TextKind::MenuItem, "mnuSearchBaud", "&Search baudrate"},
    {TextKind::MenuItem, "mnuTimerStd", "Standard &timer"},
    {TextKind::MenuItem, "mnuTimerLong", "&Long timer"},
    {TextKind::MenuItem, "mnuCanReset", "&Reset"},
    {TextKind::MenuItem, "mnuHardware", "Hardware"},
    {TextKind::MenuItem, "mnuCommands", "Commands"},
    {TextKind::MenuItem, "mnuObjects", "Objects"},
    {TextKind::MenuItem, "mnuParameters", "Parameters"},
    {TextKind::MenuItem, "mnuNodeId", "Node ID"},
    {TextKind::MenuItem, "mnuSearchNode", "Search node"},
    {TextKind::MenuItem, "mnuSearchNodeGuard", "Search node (guarding)"},
    {TextKind::MenuItem, "mnuLoadParams", "Load parameters"},
    {TextKind::MenuItem, "mnuParMem", "Parameter memory"},
    {TextKind::MenuItem, "mnuProdCode", "Product code"},
    {TextKind::MenuItem, "mnuRevNr", "Revision number"},
    {TextKind::MenuItem, "mnuTotalSteps", "Total number of steps"},
    {TextKind::MenuItem, "mnuTrace", "Trace"},
    {TextKind::MenuItem, "mnuBusTest", "Bus test"},
    {TextKind::MenuItem, "mnuKontup", "Kontup"},
    {TextKind::MenuItem, "mnuProgramming", "Programming"},
    {TextKind::MenuItem, "mnuTools", "Tools"},
    {TextKind::MenuItem, "mnuClearHistory", "Clear file history"},
    {TextKind::MenuItem, "mnuHelp", "Help"},
    {TextKind::MenuItem, "mnuHelpContents", "Help"},
    {TextKind::MenuItem, "mnuAbout", "About"},
};
}  // namespace

std::span<const LanguageRow> MainWindowLanguageTable() { return kMainWindowRows; }

std::span<const LanguageRow> MainMenuLanguageTable() { return kMainMenuRows; }

int ApplyMenuLanguage(QObject* mainWindow) { return ApplyLanguageRows(mainWindow, MainMenuLanguageTable()); }

// The main window's table is the default for windows without a table of their own.
[[maybe_unused]] const bool kMainTableRegistered = [] {
    RegisterLanguageTable(std::string(), {kMainWindowRows, std::end(kMainWindowRows)});
    return true;
}();
