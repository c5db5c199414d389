#include "NodeControl.h"

#include <cstdio>
#include <map>

#include "CanChannel.h"
#include "LoadParam.h"
#include "MiscFrames.h"
#include "NamedValueList.h"
#include "Numbers.h"
#include "ScriptRun.h"
#include "SdoDialogFields.h"
#include "SdoInteractive.h"
#include "StationActions.h"
#include "StationView.h"
#include "TestRunner.h"

namespace {

// The signatures of the store (0x1010) and restore (0x1011) objects, as little-endian numbers.
constexpr uint32_t kSaveSignature = 's' | 'a' << 8 | 'v' << 16 | static_cast<uint32_t>('e') << 24;
constexpr uint32_t kLoadSignature = 'l' | 'o' << 8 | 'a' << 16 | static_cast<uint32_t>('d') << 24;

enum class Apply { Variable, NodeId, BitRate, Timer };

struct ParameterEditor {
    const char* caption;
    const char* format;  // "%d" or "0x%x"
    const char* variable;
    Apply apply;
};

const std::map<std::string, ParameterEditor>& Editors() {
    static const std::map<std::string, ParameterEditor> editors = {
        {"mnuSerialNr", {"Serial number (SerialNr)", "%d", "SerialNr", Apply::Variable}},
        {"mnuRevNr", {"Revision number (RevNr)", "%d", "RevNr", Apply::Variable}},
        {"mnuProdCode", {"Product Code (ProdCode)", "0x%x", "ProdCode", Apply::Variable}},
        {"mnuVendorId", {"Manufacturer Number (VendorId)", "0x%x", "VendorId", Apply::Variable}},
        {"mnuSyncId", {"Identifier Sync Message (SyncId)", "0x%x", "SyncId", Apply::Variable}},
        {"mnuGuardId", {"Identifier Guarding (GuardId)", "0x%x", "GuardId", Apply::Variable}},
        {"mnuEmcId", {"Identifier Emergency Message (EMCId)", "0x%x", "EMCId", Apply::Variable}},
        {"mnuPdo1Id", {"Identifier PDO 1 (Pdo1Id)", "0x%x", "Pdo1Id", Apply::Variable}},
        {"mnuPdo2Id", {"Identifier PDO 2 (Pdo2Id)", "0x%x", "Pdo2Id", Apply::Variable}},
        {"mnuSrdo1Id", {"Identifier SRDO 1 (Srdo1Id)", "0x%x", "Srdo1Id", Apply::Variable}},
        {"mnuSrdo2Id", {"Identifier SRDO 2 (Srdo2Id)", "0x%x", "Srdo2Id", Apply::Variable}},
        {"mnuNodeId", {"Node address (NodeId)", "%d", "NodeId", Apply::NodeId}},
        {"mnuSetBaud", {"Baud rate (Baudr)", "%d", "Baudr", Apply::BitRate}},
        {"mnuTimerStd", {"Timer Standard", "%d", "Timer", Apply::Timer}},
        {"mnuTimerLong", {"Timer Lang", "%d", "TimerLong", Apply::Timer}},
        {"mnuTotalSteps", {"Total step count for Kontup", "0x%x", "TotalSteps", Apply::Variable}},
    };
    return editors;
}

enum class Params { None, Node, Sync, Guard, Store, Restore };

struct TableCommand {
    const char* command;
    Params params;
    CommandInterval interval;
    int tag = 0;  // store / restore sub-index
};

const std::map<std::string, TableCommand>& Commands() {
    using CI = CommandInterval;
    static const std::map<std::string, TableCommand> commands = {
        {"mnuStartNode", {"B:NMT_Start", Params::Node, CI::Timer}},
        {"btnStartNode", {"B:NMT_Start", Params::Node, CI::Timer}},
        {"mnuPreOp", {"B:NMT_PreOp", Params::Node, CI::Timer}},
        {"btnPreOp", {"B:NMT_PreOp", Params::Node, CI::Timer}},
        {"mnuStopNode", {"B:NMT_Stop", Params::Node, CI::Timer}},
        {"btnStopNode", {"B:NMT_Stop", Params::Node, CI::Timer}},
        {"mnuResetNode", {"B:NMT_Reset", Params::Node, CI::Unchanged}},
        {"mnuResetCom", {"B:NMT_Reset_Com", Params::Node, CI::Unchanged}},
        {"mnuPdo1", {"B:PDO1", Params::None, CI::Timer}},
        {"btnPDO1", {"B:PDO1", Params::None, CI::Timer}},
        {"mnuPdo2", {"B:PDO2", Params::None, CI::Timer}},
        {"btnPDO2", {"B:PDO2", Params::None, CI::Timer}},
        {"mnuPdo3", {"B:PDO3", Params::None, CI::Unchanged}},
        {"mnuSync", {"B:Sync", Params::Sync, CI::Timer}},
        {"btnSync", {"B:Sync", Params::Sync, CI::Timer}},
        {"mnuGuard", {"B:NMT_Guard", Params::Guard, CI::Unchanged}},
        {"mnuLssGlobalOperate", {"B:LSS_Switch_Global_Operate", Params::None, CI::Unchanged}},
        {"mnuLssGlobalConfig", {"B:LSS_Switch_Global_Config", Params::None, CI::Unchanged}},
        {"mnuLssSelect", {"B:LSS_Switch_Select", Params::None, CI::Unchanged}},
        {"mnuLssStore", {"B:LSS_Store_Config", Params::None, CI::Unchanged}},
        {"mnuLssIdentRemote", {"B:LSS_Ident_Remote_Slave", Params::None, CI::Unchanged}},
        {"mnuLssIdentNonConf", {"B:LSS_Ident_NotConf_Slave", Params::None, CI::Unchanged}},
        {"mnuLssQueryNodeId", {"B:LSS_Query_NodeId", Params::None, CI::Unchanged}},
        {"mnuLssQueryVendorId", {"B:LSS_Query_VendorId", Params::None, CI::Unchanged}},
        {"mnuLssQueryProdCode", {"B:LSS_Query_ProdCode", Params::None, CI::Unchanged}},
        {"mnuLssQueryRevNr", {"B:LSS_Query_RevNr", Params::None, CI::Unchanged}},
        {"mnuLssQuerySerialNr", {"B:LSS_Query_SerialNr", Params::None, CI::Unchanged}},
        {"mnuSaveAll", {"B:SDO_DownInitExped", Params::Store, CI::TimerLong, 1}},
        {"mnuSaveCom", {"B:SDO_DownInitExped", Params::Store, CI::TimerLong, 2}},
        {"mnuSaveApp", {"B:SDO_DownInitExped", Params::Store, CI::TimerLong, 3}},
        {"mnuSave2xxx", {"B:SDO_DownInitExped", Params::Store, CI::TimerLong, 4}},
        {"mnuSave3xxx", {"B:SDO_DownInitExped", Params::Store, CI::TimerLong, 5}},
        {"btnSaveAll", {"B:SDO_DownInitExped", Params::Store, CI::TimerLong, 1}},
        {"btnSaveNodeId", {"B:SDO_DownInitExped", Params::Store, CI::TimerLong, 4}},
        {"mnuLoadAll", {"B:SDO_DownInitExped", Params::Restore, CI::TimerLong, 1}},
        {"mnuLoadCom", {"B:SDO_DownInitExped", Params::Restore, CI::TimerLong, 2}},
        {"mnuLoadApp", {"B:SDO_DownInitExped", Params::Restore, CI::TimerLong, 3}},
        {"mnuLoad2xxx", {"B:SDO_DownInitExped", Params::Restore, CI::TimerLong, 4}},
        {"mnuLoad3xxx", {"B:SDO_DownInitExped", Params::Restore, CI::TimerLong, 5}},
        {"btnLoad", {"B:SDO_DownInitExped", Params::Restore, CI::TimerLong, 1}},
        {"btnLoadNodeId", {"B:SDO_DownInitExped", Params::Restore, CI::TimerLong, 4}},
    };
    return commands;
}

// The other controls this class handles (dialogs, searches, connect, supply).
const std::vector<std::string>& OtherControls() {
    static const std::vector<std::string> names = {
        "mnuLssConfNodeId", "mnuLssConfTiming", "mnuSdoUpload",   "btnUpload",        "mnuSdoDownload",
        "btnDnLoad",        "btnNodeConnect",   "btnSearchNode",  "btnSearchBaud",    "mnuSearchBaud",
        "mnuSearchNode",    "mnuSearchNodeGuard", "Button1",      "btnBRate20k",      "btnBRate125k",
        "btnBRate250k",     "btnBRate500k"};
    return names;
}

std::string Decimal(uint32_t value) { return std::to_string(static_cast<int32_t>(value)); }

std::string Formatted(const char* format, uint32_t value) {
    return std::string(format) == "%d" ? Decimal(value) : FormatValue(format, value);
}

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// Asks for one number in the edit dialog; nullopt when cancelled.
std::optional<EditField> AskNumber(const std::string& caption, const std::string& initial) {
    EditFieldSet fields{};
    fields[0].active = true;
    fields[0].caption = caption;
    fields[0].text = initial;
    if (!CurrentOperator().EditFields(fields)) return std::nullopt;
    return fields[0];
}

}  // namespace

NodeControl::NodeControl(TestRunner& runner, BaudNodeSearch& search)
    : runner_(runner), search_(search), timProcess_(CreateTimer()) {
    timProcess_->SetHandler([this] { timProcessTimer(); });
    search_.SetReportPort(this);
}

NodeControl::~NodeControl() {
    timProcess_->Stop();
    search_.SetReportPort(nullptr);
}

bool NodeControl::SetBitRate(int64_t kbit) {
    const int index = BitRateToIndex(kbit);
    if (index < 0) return false;
    ScriptVariables().Set("Baudr", static_cast<uint64_t>(index));
    CurrentStationView().RefreshNodePanel();
    return true;
}

bool NodeControl::SetNodeId(int64_t value) {
    if (value < 0 || value > 127) return false;
    ScriptVariables().Set("NodeId", static_cast<uint64_t>(value));
    CurrentStationView().RefreshNodePanel();
    return true;
}

void NodeControl::RefreshNodePanel() {
    // The panel shows what the variables hold; a node address outside the range keeps the text.
    uint32_t node = 0;
    if (ScriptVariables().Lookup("NodeId", node)) SetNodeId(static_cast<int32_t>(node));
    CurrentStationView().RefreshNodePanel();
}

bool NodeControl::RunSingleCommand(const TestInstruction& record, CommandInterval interval) {
    ScriptRun& run = CurrentRun();
    if (runner_.TimerActive()) {
        // A single command while the runner is busy would take over its waiting step.
        if (!run.interactiveMode && !runner_.finished) {
            CurrentOperator().ShowMessage("A test is running.\nStop it before sending single commands.",
                                          "SINGLE COMMAND");
            return false;
        }
        if (run.interactiveMode && run.pendingStep) {
            CurrentOperator().ShowMessage("The previous command is still waiting for its answer.", "SINGLE COMMAND");
            return false;
        }
    }
    run.interactiveInstructions = {};
    if (!CanOpen()) return false;
    run.interactiveInstructions[0] = record;
    int intervalMs = 0;
    uint32_t value = 0;
    if (interval == CommandInterval::Timer && ScriptVariables().Lookup("Timer", value)) intervalMs = static_cast<int32_t>(value);
    if (interval == CommandInterval::TimerLong && ScriptVariables().Lookup("TimerLong", value))
        intervalMs = static_cast<int32_t>(value);
    runner_.RunInteractiveCommand(intervalMs);
    return true;
}

bool NodeControl::Handle(const std::string& name) {
    if (Editors().count(name)) return EditParameter(name);
    if (Commands().count(name)) return RunTableCommand(name);
    if (name == "mnuLssConfNodeId")
        return RunLssWithDialog("B:LSS_Conf_NodId", "Node address", Decimal(ScriptVariables().Get("NodeId")));
    if (name == "mnuLssConfTiming")
        return RunLssWithDialog("B:LSS_Conf_Timing", "Baud rate index", Decimal(ScriptVariables().Get("Baudr")));
    if (name == "mnuSdoUpload" || name == "btnUpload") return RunSdoDialog(true);
    if (name == "mnuSdoDownload" || name == "btnDnLoad") return RunSdoDialog(false);
    if (name == "btnNodeConnect") return btnNodeConnectClick(), true;
    if (name == "btnSearchNode") return btnSearchNodeClick(), true;
    if (name == "btnSearchBaud") return btnSearchBaudClick(), true;
    if (name == "mnuSearchBaud") return ShowSearchWindow(), btnSearchBaudClick(), true;
    if (name == "mnuSearchNode") return ShowSearchWindow(), btnSearchNodeClick(), true;
    if (name == "mnuSearchNodeGuard") {
        SearchStarting(BaudNodeSearch::Kind::GuardedNode);
        return search_.StartGuardedNodeSearch();
    }
    if (name == "Button1") return Button1Click(), true;
    if (name == "btnBRate20k") return SetBitRate(20);
    if (name == "btnBRate125k") return SetBitRate(125);
    if (name == "btnBRate250k") return SetBitRate(250);
    if (name == "btnBRate500k") return SetBitRate(500);
    return false;
}

std::vector<std::string> NodeControl::ControlNames() {
    std::vector<std::string> names;
    for (const auto& [name, editor] : Editors()) names.push_back(name);
    for (const auto& [name, command] : Commands()) names.push_back(name);
    names.insert(names.end(), OtherControls().begin(), OtherControls().end());
    return names;
}

bool NodeControl::EditParameter(const std::string& name) {
    const ParameterEditor& e = Editors().at(name);
    uint32_t current = ScriptVariables().Get(e.variable);
    if (e.apply == Apply::BitRate) current = static_cast<uint32_t>(IndexToBitRate(static_cast<int32_t>(current)));
    const auto field = AskNumber(e.caption, Formatted(e.format, current));
    if (!field) return false;
    switch (e.apply) {
    case Apply::Variable: ScriptVariables().Set(e.variable, field->value); return true;
    case Apply::NodeId: return SetNodeId(static_cast<int32_t>(field->value));
    case Apply::BitRate:
        if (SetBitRate(static_cast<int32_t>(field->value))) return true;
        CurrentOperator().ShowMessage("Baud rate is not defined", "SET BAUDRATE");
        return false;
    case Apply::Timer:
        ScriptVariables().Set(e.variable, field->value);
        CurrentStationView().RefreshNodePanel();
        return true;
    }
    return false;
}

bool NodeControl::RunTableCommand(const std::string& name) {
    const TableCommand& c = Commands().at(name);
    TestInstruction r;
    r.command = c.command;
    switch (c.params) {
    case Params::None: break;
    case Params::Node: r.param1 = "N:" + Decimal(ScriptVariables().Get("NodeId")); break;
    case Params::Sync:
        r.param1 = "Anzahl:1";
        r.expectedId = "Id:";
        r.expectedLen = "DLC:";
        r.expectedData = "Value:";
        break;
    case Params::Guard: r.param1 = FormatValue("GuardIdent:0x%x", ScriptVariables().Get("GuardId")); break;
    case Params::Store:
    case Params::Restore:
        r.param1 = FormatValue("Index:%x", c.params == Params::Store ? 0x1010 : 0x1011);
        r.param2 = "Sub:" + std::to_string(c.tag);
        r.param3 = "Value:" + Decimal(c.params == Params::Store ? kSaveSignature : kLoadSignature);
        r.param4 = "DLC:4";
        break;
    }
    return RunSingleCommand(r, c.interval);
}

bool NodeControl::RunLssWithDialog(const std::string& command, const std::string& caption, const std::string& initial) {
    const auto field = AskNumber(caption, initial);
    if (!field) return false;
    TestInstruction r;
    r.command = command;
    r.param1 = "NodeId:" + field->text;
    return RunSingleCommand(r, CommandInterval::Unchanged);
}

bool NodeControl::RunSdoDialog(bool upload) {
    TestInstruction r;
    const bool ok = upload ? BuildSdoUploadInstruction(EditSdoDialogFields, r)
                           : BuildSdoDownloadInstruction(EditSdoDialogFields, r);
    if (!ok) return false;
    return RunSingleCommand(r, CommandInterval::Timer);
}

void NodeControl::btnNodeConnectClick() {
    busy_ = false;
    step_ = 1;
    ShowStatus("Searching for slave", StatusColor::Yellow);
    timProcess_->Start(kProcessIntervalMs);
}

void NodeControl::timProcessTimer() {
    if (busy_) return;
    switch (step_) {
    case 1:
        busy_ = true;
        step_ = 2;
        search_.StartBaudSearch();
        return;
    case 2:
        if (search_.Found() == 1) {
            busy_ = true;
            step_ = 3;
            search_.StartNodeSearch();
            return;
        }
        timProcess_->Stop();
        step_ = 0;
        ShowStatus("Slave is not active", StatusColor::Red);
        return;
    case 3:
        timProcess_->Stop();
        if (search_.Found() == 1) {
            // The node search leaves the channel closed; the parameter load talks to the node.
            CanOpen();
            busy_ = true;
            CurrentParameterLoad().Start();
            step_ = 0;
            ShowStatus("Node is active", StatusColor::Green);
        } else {
            step_ = 0;
            ShowStatus("Slave is not active", StatusColor::Red);
        }
        return;
    default: timProcess_->Stop(); return;
    }
}

void NodeControl::SearchStarting(BaudNodeSearch::Kind kind) {
    busy_ = true;
    ShowStatus(kind == BaudNodeSearch::Kind::BitRate ? "Search bit rate" : "Search node", StatusColor::Yellow);
}

void NodeControl::btnSearchNodeClick() {
    SearchStarting(BaudNodeSearch::Kind::Node);
    search_.StartNodeSearch();
}

void NodeControl::btnSearchBaudClick() {
    SearchStarting(BaudNodeSearch::Kind::BitRate);
    search_.StartBaudSearch();
}

void NodeControl::SetSupplySetting(double volts, double milliAmps) {
    supplyVolts_ = volts;
    supplyMilliAmps_ = milliAmps;
}

void NodeControl::Button1Click() {
    // The supply goes through the bench command, so the converter and the operator messages for
    // a bench without converter are the same as in a test; its row documents the switching.
    const bool on = !supplyOn_;
    TestInstruction r;
    r.command = "B:BEF_Ub";
    r.param1 = "Ub:" + (on ? OneDecimal(supplyVolts_) : std::string("0"));
    r.param2 = "I:" + (on ? OneDecimal(supplyMilliAmps_) : std::string("0.0"));
    if (RunSingleCommand(r, CommandInterval::Unchanged)) supplyOn_ = on;
}

void NodeControl::ShowStatus(const std::string& text, StatusColor color) {
    statusText_ = text;
    CurrentStationView().ShowRunStatus(text, color);
}

void NodeControl::ShowSearchStatus(const std::string& text, StatusColor color) {
    ShowStatus(text, color);
    if (window_) window_->ShowSearchStatus(text, color);
}

void NodeControl::ShowCandidate(int nodeId) {
    if (window_) window_->ShowCandidate(nodeId);
}

void NodeControl::ShowSearchWindow() {
    if (window_) window_->ShowSearchWindow();
}

void NodeControl::ApplyNodeId(int nodeId) { SetNodeId(nodeId); }

void NodeControl::SearchEnded() {
    busy_ = false;
    if (window_) window_->SearchEnded();
}

namespace {
// The names registered here (a name another part registered first keeps its handler).
std::vector<std::string>& Registered() {
    static std::vector<std::string> names;
    return names;
}
}  // namespace

void RegisterNodeControlActions(NodeControl& control) {
    UnregisterNodeControlActions();
    for (const std::string& name : NodeControl::ControlNames()) {
        if (FindStationAction(name)) continue;
        RegisterStationAction(name, [&control, name] { control.Handle(name); });
        Registered().push_back(name);
    }
}

void UnregisterNodeControlActions() {
    for (const std::string& name : Registered()) RegisterStationAction(name, nullptr);
    Registered().clear();
}
