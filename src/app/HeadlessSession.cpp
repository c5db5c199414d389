#include "HeadlessSession.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "CanChannel.h"
#include "CNumber.h"
#include "CanInterfaceKinds.h"
#include "CommandSet.h"
#include "Configuration.h"
#include "InteractiveInput.h"
#include "NamedValueList.h"
#include "RowText.h"
#include "SearchHooks.h"
#include "JUnitReport.h"
#include "TestFileLoader.h"

namespace {
std::string Absolute(const std::string& path) {
    if (path.empty()) return path;
    return QFileInfo(QString::fromLocal8Bit(NativePath(path).c_str())).absoluteFilePath().toLocal8Bit().toStdString();
}

// A number in C notation ("0x" hexadecimal, a leading "0" octal, else decimal); 0 when empty.
bool ReadCNumber(const std::string& text, uint32_t& value) {
    if (text.empty()) {
        value = 0;
        return true;
    }
    const auto parsed = ParseCNumber(text);
    if (!parsed) return false;
    value = *parsed;
    return true;
}
}  // namespace

HeadlessSession::HeadlessSession(HeadlessOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options)),
      out_(out),
      err_(err),
      operator_(options_.answers, err),
      settings_(AppConfiguration()) {
    // Output paths are taken relative to the folder quarzel-run was started in; opening the
    // test file changes the current folder to the test file's.
    options_.csvPath = Absolute(options_.csvPath);
    options_.junitPath = Absolute(options_.junitPath);
    options_.testFile = Absolute(options_.testFile);
    options_.iniPath = Absolute(options_.iniPath);
    SetOperatorPort(&operator_);
    SetStationView(this);
    SetCanSettings(&settings_);
    grid_.SetListener(this);
}

HeadlessSession::~HeadlessSession() {
    if (search_) InstallSearchHooks(nullptr);
    runner_.reset();
    grid_.SetListener(nullptr);
    SetCanSettings(nullptr);
    if (&CurrentStationView() == this) SetStationView(nullptr);
    if (&CurrentOperator() == &operator_) SetOperatorPort(nullptr);
}

bool HeadlessSession::CannotRun(const std::string& why) {
    err_ << "quarzel-run: " << why << "\n";
    return false;
}

bool HeadlessSession::OpenInterface() {
    const Configuration& config = AppConfiguration();
    const std::string typ = config.Value("[CAN_TREIBER_TYP]");
    const CanInterfaceKind* kind = FindCanInterfaceKind(typ);
    if (!kind || !kind->create)
        return CannotRun("no CAN interface handles [CAN_TREIBER_TYP] \"" + typ + "\"");
    std::string error;
    std::shared_ptr<AbstractCanInterface> iface = kind->create(typ, error);
    if (!iface) return CannotRun("the CAN interface \"" + typ + "\" could not be created: " + error);

    uint32_t hwid = 0, channel = 0;
    if (!ReadCNumber(config.Value("[CAN_TREIBER_HWID]"), hwid))
        return CannotRun("[CAN_TREIBER_HWID] \"" + config.Value("[CAN_TREIBER_HWID]") + "\" is not a number");
    if (!ReadCNumber(config.Value("[CAN_TREIBER_CHANNEL]"), channel))
        return CannotRun("[CAN_TREIBER_CHANNEL] \"" + config.Value("[CAN_TREIBER_CHANNEL]") + "\" is not a number");
    if (IHandleType* handle = iface->HandleObject()) {
        handle->SetHandle(channel);
        if (!iface->SearchCanDriverHandle(hwid, handle) || !iface->ActivateHandle(handle)) {
            char text[64];
            std::snprintf(text, sizeof text, "CAN hardware ID '0x%X' was not found.", hwid);
            return CannotRun(text);
        }
    }
    CanSetInterface(iface);
    return true;
}

bool HeadlessSession::PrepareStation() {
    if (!ReadConfiguration(options_.iniPath, AppConfiguration()))
        return CannotRun("the configuration \"" + options_.iniPath + "\" could not be read");
    return OpenInterface();
}

bool HeadlessSession::Start() {
    if (!PrepareStation()) return false;
    ScriptVariables().Set("TimerLong", 2000);
    RegisterAllCommands();
    InstallInteractiveInput();
    if (!OpenTestFile(options_.testFile, true))
        return CannotRun("the test file \"" + options_.testFile + "\" could not be loaded");
    runner_ = std::make_unique<TestRunner>(grid_);
    search_ = std::make_unique<BaudNodeSearch>();
    InstallSearchHooks(search_.get());
    if (!options_.quiet) out_ << FormatRowText(GridTitles()) << "\n";
    started_ = true;
    if (!runner_->StartTest()) {
        started_ = false;
        return CannotRun("the CAN channel could not be opened");
    }
    return true;
}

void HeadlessSession::RowWritten(int row) {
    if (!options_.quiet) out_ << FormatRowText(grid_.Row(row)) << std::endl;
}

void HeadlessSession::RunEnded(RunEnd reason, int exitCode) {
    if (ended_) return;
    reason_ = reason;
    programExitCode_ = exitCode;
    End();
}

void HeadlessSession::TimeLimitReached() {
    if (ended_) return;
    if (runner_) runner_->StopTest();
    timedOut_ = true;
    End();
}

void HeadlessSession::End() {
    ended_ = true;
    if (onEnd_) onEnd_();
}

int HeadlessSession::Finish() {
    if (!started_) return EXIT_CANNOT_RUN;
    if (runner_) runner_->StopScriptTimer();
    CanClose();
    const ProtocolGridTable table(grid_);
    if (!options_.csvPath.empty() && !WriteGridCsv(options_.csvPath, ';', table))
        err_ << "quarzel-run: the CSV file \"" << options_.csvPath << "\" could not be written\n";
    const std::string suite = QFileInfo(QString::fromLocal8Bit(options_.testFile.c_str())).completeBaseName().toStdString();
    if (!options_.junitPath.empty() && !WriteJUnitReport(options_.junitPath, suite, table))
        err_ << "quarzel-run: the JUnit file \"" << options_.junitPath << "\" could not be written\n";
    if (options_.saveIni && !WriteConfiguration(AppConfiguration()))
        err_ << "quarzel-run: the configuration \"" << options_.iniPath << "\" could not be written\n";
    if (grid_.DiscardedRows() > 0)
        err_ << "quarzel-run: the first " << grid_.DiscardedRows() << " rows were not kept for the reports\n";

    const int errors = runner_ ? runner_->errorCount : 0;
    const std::string count = ", " + std::to_string(errors) + (errors == 1 ? " error" : " errors");
    int code = errors == 0 ? EXIT_PASSED : EXIT_FAILED;
    std::string verdict;
    if (timedOut_) {
        verdict = "stopped (time limit of " + std::to_string(options_.timeoutSeconds) + " s reached)";
        code = EXIT_FAILED;
    } else if (!ended_) {
        verdict = "stopped";
        code = EXIT_FAILED;
    } else {
        switch (reason_) {
            case RunEnd::Finished: verdict = errors == 0 ? "passed" : "failed"; break;
            case RunEnd::ChannelLost:
                verdict = "not completed (CAN channel not active)";
                code = EXIT_CANNOT_RUN;
                break;
            case RunEnd::Abandoned:
                verdict = "not completed (a step ended the run)";
                code = EXIT_FAILED;
                break;
            case RunEnd::ProgramEnd:
                code = programExitCode_ < 0 || programExitCode_ > 255 ? 255 : programExitCode_;
                verdict = "ended by the test with exit code " + std::to_string(code);
                break;
        }
    }
    out_ << "Verdict: " << verdict << count << std::endl;
    return code;
}
