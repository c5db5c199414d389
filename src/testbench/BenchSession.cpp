#include "BenchSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "BenchDisplay.h"
#include "ContinuityRun.h"
#include "LogFiles.h"
#include "Ports.h"
#include "TestFileLoader.h"

namespace {
constexpr const char* kInitTitle = "INITIALIZATION";
BenchSession* g_session = nullptr;
ContinuityRunPort* g_continuity = nullptr;
bool g_cycleCountMode = false;

QString Local(const std::string& path) { return QString::fromLocal8Bit(NativePath(path).c_str()); }

bool Blank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }
}  // namespace

ContinuityRunPort* CurrentContinuityRun() { return g_continuity; }
void SetContinuityRun(ContinuityRunPort* port) { g_continuity = port; }
bool CycleCountMode() { return g_cycleCountMode; }
void SetCycleCountMode(bool on) { g_cycleCountMode = on; }

BenchSession* CurrentBenchSession() { return g_session; }

BenchSession::BenchSession() {
    g_session = this;
    SetBenchConverter(&bench_);
}

BenchSession::~BenchSession() {
    Close();
    if (CurrentBenchConverter() == &bench_) SetBenchConverter(nullptr);
    if (g_session == this) g_session = nullptr;
}

std::string BenchSession::ResolvePath(const std::string& name) const {
    if (name.empty() || calibrationFolder_.empty() || QFileInfo(Local(name)).isAbsolute()) return name;
    return QDir(QString::fromStdString(calibrationFolder_)).filePath(Local(name)).toLocal8Bit().toStdString();
}

bool BenchSession::ApplyCalibration(const std::string& calibrationPath) {
    auto settings = ReadCalibrationFile(calibrationPath);
    if (!settings) return false;
    calibration_ = std::move(settings);
    calibrationFolder_ = QFileInfo(Local(calibrationPath)).absolutePath().toStdString();
    CurrentBenchDisplay().ShowCalibration(calibration_->encoderType, calibration_->coverSheet);
    if (!Blank(calibration_->remarks)) CurrentOperator().ShowMessage(calibration_->remarks, "BEMERKUNG");
    return true;
}

bool BenchSession::StartCalibration(const std::string& calibrationPath, const std::string& configurationPath) {
    if (!ApplyCalibration(calibrationPath)) {
        CurrentOperator().ShowMessage("File not found\n", kInitTitle);
        return false;
    }
    calibrationMode_ = true;
    if (!calibration_->testfileTesting.empty() && OpenTestFile(ResolvePath(calibration_->testfileTesting), true))
        SetCycleCountMode(true);
    InitialiseConverter(configurationPath, true);
    return true;
}

bool BenchSession::InitialiseConverter(const std::string& configurationPath, bool showFailure) {
    bench_.SetActive(false);
    QFile file(Local(configurationPath));
    if (!file.open(QIODevice::ReadOnly)) {
        if (showFailure)
            CurrentOperator().ShowMessage("Calibration INI file not found\n- " + configurationPath + " -", kInitTitle);
        return false;
    }
    const QByteArray bytes = file.readAll();
    const std::string_view text(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (link_.Initialise(2, text) != CONV_OK) {
        link_.Close();
        if (link_.Initialise(3, text) != CONV_OK) {
            link_.Close();
            if (showFailure) CurrentOperator().ShowMessage("Converter could not be initialized", "Initialize converter");
            return false;
        }
    }
    bench_.SetActive(true);
    return true;
}

void BenchSession::Close() {
    bench_.SetActive(false);
    link_.Close();
}
