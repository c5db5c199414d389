#include "AutomaticRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <charconv>

#include "BefBench.h"
#include "BenchSession.h"
#include "CanChannel.h"
#include "Configuration.h"
#include "ContinuityRun.h"
#include "LogFiles.h"
#include "NamedValueList.h"
#include "TestFileLoader.h"
#include "TimeSource.h"

namespace {
constexpr const char* kErrorFileName = "Error.txt";

QString Local(const std::string& path) { return QString::fromLocal8Bit(NativePath(path).c_str()); }

std::string FileNotFound(const std::string& name) { return "Error. The file '" + name + "' was not found."; }

// The operator while an unattended run loads its test: a notice would wait for somebody to close
// it (the continuity log "kontup.txt" beside "kontup.tst" reads as its notice), so none is shown.
class UnattendedOperator final : public OperatorPort {
public:
    UnattendedOperator() : inner_(CurrentOperator()) { SetOperatorPort(this); }
    ~UnattendedOperator() override { SetOperatorPort(&inner_); }
    void ShowMessage(const std::string& text, const std::string& title) override { inner_.ShowMessage(text, title); }
    bool AskYesNo(const std::string& text, const std::string& title) override { return inner_.AskYesNo(text, title); }
    std::optional<std::string> AskValue(const std::string& prompt, const std::string& title,
                                        const std::string& initial) override {
        return inner_.AskValue(prompt, title, initial);
    }
    void ShowNotice(const std::string&, const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& startPath) override {
        return inner_.ChooseOpenFile(title, filter, startPath);
    }
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& startPath) override {
        return inner_.ChooseSaveFile(title, filter, startPath);
    }

private:
    OperatorPort& inner_;
};

bool LoadUnattended(const std::string& path) {
    UnattendedOperator unattended;
    return OpenTestFile(path, false);
}
}  // namespace

std::optional<uint32_t> ParseSerialNumber(const std::string& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<uint32_t>(value);
}

AutomaticRun::AutomaticRun(BenchSession& session, std::string startFolder, std::function<void(int)> endProgram)
    : session_(session), startFolder_(std::move(startFolder)), endProgram_(std::move(endProgram)),
      pollTimer_(CreateTimer()) {
    pollTimer_->SetHandler([this] { Poll(); });
}

AutomaticRun::~AutomaticRun() { pollTimer_->Stop(); }

void AutomaticRun::Fail(const std::string& text) {
    if (!failure_) failure_ = text;
}

void AutomaticRun::Prepare(const std::string& testFile, const std::optional<std::string>& serialNumber,
                           const std::string& configurationPath) {
    std::optional<uint32_t> number;
    if (serialNumber) {
        number = ParseSerialNumber(*serialNumber);
        if (!number) return Fail("Error. The serial number '" + *serialNumber + "' is not valid.");
    }
    if (!QFileInfo(Local(testFile)).isFile()) return Fail(FileNotFound(testFile));
    if (!LoadUnattended(testFile)) return Fail("Error. The file '" + testFile + "' could not be loaded.");
    SetCycleCountMode(true);
    // The device at hand, not the test file's example number.
    if (number) ScriptVariables().Set("SerialNr", *number);

    // The bench, when this station has one.
    const std::string calibration = AppConfiguration().Value("[ABGLEICH_INI_DATEI]");
    if (calibration.empty()) return;
    if (!session_.ApplyCalibration(calibration)) return Fail(FileNotFound(calibration));
    if (!session_.InitialiseConverter(configurationPath, false)) return Fail("Converter could not be initialized");
    const CalibrationSettings& c = *session_.Calibration();
    TestBench& bench = session_.Bench();
    benchOn_ = true;
    BenchOutcome outcome = bench.SetSupply(c.supplyVolts.value_or(0), c.supplyCurrent.value_or(0));
    if (outcome.ok && c.motorRpm) outcome = bench.SetMotorSpeed(*c.motorRpm, false);
    if (outcome.ok && c.motorRpm) outcome = bench.SetMotorMode(MotorMode::Auto);
    if (!outcome.ok) Fail(outcome.message);
}

void AutomaticRun::Begin() {
    if (finished_ || pollTimer_->IsActive()) return;
    if (failure_) return Finish(1, *failure_);
    ContinuityRunPort* continuity = CurrentContinuityRun();
    if (!continuity) return Finish(1, kNoContinuityTest);
    CanOpen();
    if (!continuity->Start()) {
        const ContinuityResult result = continuity->Result();
        return Finish(1, result.text.empty() ? kNoContinuityTest : result.text);
    }
    startUs_ = CurrentTimeSource().NowUs();
    pollTimer_->Start(kPollMs);
}

void AutomaticRun::Poll() {
    ContinuityRunPort* continuity = CurrentContinuityRun();
    const ContinuityResult result = continuity ? continuity->Result() : ContinuityResult{true, 1, kNoContinuityTest};
    if (result.completed) return Finish(result.code == 0 ? 0 : 1, result.text);
    if (CurrentTimeSource().NowUs() - startUs_ >= kTimeLimitMs * 1000) Finish(1, "no answer from encoder");
}

void AutomaticRun::SwitchBenchOff() {
    if (!benchOn_) return;
    benchOn_ = false;
    TestBench& bench = session_.Bench();
    if (!bench.IsActive()) return;
    if (session_.Calibration() && session_.Calibration()->motorRpm) bench.SetMotorMode(MotorMode::Stop);
    bench.SetSupply(0, 0);
}

void AutomaticRun::Finish(int exitCode, const std::string& errorText) {
    if (finished_) return;
    finished_ = true;
    pollTimer_->Stop();
    SwitchBenchOff();
    const QString path = QDir(QString::fromStdString(startFolder_)).filePath(kErrorFileName);
    // A controlling program reads the file after a failure; an old one must not outlive a pass.
    QFile::remove(path);
    if (exitCode != 0) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(errorText.data(), static_cast<qint64>(errorText.size()));
    }
    if (endProgram_) endProgram_(exitCode);
}
