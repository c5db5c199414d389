#include "DesktopStation.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "CNumber.h"
#include "CanChannel.h"
#include "CanHardware.h"
#include "CanInterfaceKinds.h"
#include "CommandSet.h"
#include "Configuration.h"
#include "InteractiveInput.h"
#include "NamedValueList.h"
#include "Ports.h"
#include "StationIdentity.h"
#include "StationView.h"
#include "TestFileLoader.h"

namespace {
constexpr const char* kStartUpTitle = "INITIALISIERUNG";
constexpr uint32_t kTimerLongMs = 2000;

// A number in C notation; text that is not one reads as 0, as the C library would read it.
uint32_t CValue(const std::string& text) { return ParseCNumber(text).value_or(0); }
}  // namespace

StartUpHooks& DesktopHooks() {
    static StartUpHooks hooks;
    return hooks;
}

DesktopStation::DesktopStation(StartUpShell& shell, std::string pipeName)
    : shell_(shell), settings_(AppConfiguration()), pipe_(std::move(pipeName)), controlTimer_(CreateTimer()) {
    SetCanSettings(&settings_);
    runner_ = std::make_unique<TestRunner>(grid_);
    controlTimer_->SetHandler([this] { pipe_.Poll(); });
    controlTimer_->Start(ControlPipe::kPollIntervalMs);
}

DesktopStation::~DesktopStation() {
    controlTimer_->Stop();
    runner_.reset();
    SetCanSettings(nullptr);
}

StartUpResult DesktopStation::StartUp(const std::vector<std::string>& arguments) {
    StartUpResult result;
    Configuration& config = AppConfiguration();

    // 1. Nothing loaded, nothing running.
    FreeTestFile();
    runner_->finished = true;
    startTime_ = HrTimeNow();
    RegisterAllCommands();
    InstallInteractiveInput();

    // 2. - 4.
    startFolder_ = QDir::currentPath().toStdString();
    ReadConfiguration(kConfigurationFileName, config);
    shell_.SetCaption(StationCaption(config.Value("[CAN_TREIBER_TYP]")));
    ScriptVariables().Set("TimerLong", kTimerLongMs);

    // 5. - 6. The command line.
    options_ = ParseCommandLine(arguments);
    bool calibrationRead = false;
    if (options_.calibrationFile && DesktopHooks().readCalibrationFile)
        calibrationRead = DesktopHooks().readCalibrationFile(*options_.calibrationFile);
    result.minimized = options_.minimized.value_or(config.Value("[STARTUP_MINIMIZED]") == "true");

    // 7. The configuration of another version is used only when the operator agrees; it is then
    // written back as this version's.
    if (config.Value("[SW_VERSION]") != kProgramVersion) {
        if (!CurrentOperator().AskYesNo(VersionMismatchQuestion(), kStartUpTitle)) {
            result.proceed = false;
            shutDown_ = true;
            return result;
        }
        config.SetValue("[SW_VERSION]", kProgramVersion);
    }

    // 8. - 12.
    SelectHardware();
    pipe_.Create();
    shell_.ApplyLanguageTables();
    StationView& view = CurrentStationView();
    view.ShowTestHistory(config.History(HistoryList::TestFiles));
    runner_->InitProtocolGrid();
    CurrentChannelStatus().ShowCanStatus("CAN is not active", StatusColor::Default);
    view.ShowRunStatus("no test file loaded", StatusColor::Default);
    view.ShowStatusBar("no test file loaded");
    CurrentRun().interactiveInstructions = {};
    runner_->rowCounter = 1;

    // 13. - 15.
    if (!options_.automaticMode && !calibrationRead) LoadBaseFile();
    view.RefreshNodePanel();
    if (options_.automaticMode) {
        controlTimer_->Stop();
        if (DesktopHooks().startAutomaticMode) DesktopHooks().startAutomaticMode(options_);
    }
    return result;
}

void DesktopStation::SelectHardware() {
    Configuration& config = AppConfiguration();
    const uint32_t hwid = CValue(options_.hwid.value_or(config.Value("[CAN_TREIBER_HWID]")));
    const uint32_t channel = CValue(options_.hwchan.value_or(config.Value("[CAN_TREIBER_CHANNEL]")));
    CanCreateInterface(hwid, channel);
    const auto iface = CanCurrentInterface();
    if (!iface) {
        // An interface type nobody knows was reported by CanCreateInterface already.
        if (FindCanInterfaceKind(config.Value("[CAN_TREIBER_TYP]"))) {
            char text[64];
            std::snprintf(text, sizeof text, "CAN hardware ID '0x%X' was not found.", hwid);
            CurrentOperator().ShowMessage(text, "Error");
        }
        return;
    }
    const IHandleType* handle = iface->HandleObject();
    config.SetValue("[CAN_TREIBER_CHANNEL]",
                    std::to_string(handle ? static_cast<int32_t>(handle->GetHandle()) : -1));
}

void DesktopStation::LoadBaseFile() {
    // A configuration without a base test file starts without a test.
    const std::string base = AppConfiguration().Value("[BASIS_DAT]");
    if (base.empty()) return;
    if (!LoadTestFile(base, true)) {
        CurrentOperator().ShowMessage("Base file could not be loaded\n", kStartUpTitle);
        return;
    }
    const std::string path =
        QFileInfo(QString::fromLocal8Bit(NativePath(base).c_str())).absoluteFilePath().toLocal8Bit().toStdString();
    CurrentStationView().ShowRunStatus("ready", StatusColor::Green);
    CurrentStationView().ShowStatusBar(path);
}

int DesktopStation::ShutDown() {
    if (shutDown_) return 0;
    shutDown_ = true;
    controlTimer_->Stop();
    runner_->StopScriptTimer();
    CanClose();
    if (DesktopHooks().closeConverter) DesktopHooks().closeConverter();
    WriteConfiguration(AppConfiguration());
    return 0;
}
