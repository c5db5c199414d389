#include "DesktopBench.h"

#include <QDir>

#include "Configuration.h"
#include "DesktopStation.h"

DesktopBench::DesktopBench(std::function<void(int)> endProgram) : endProgram_(std::move(endProgram)) {
    StartUpHooks& hooks = DesktopHooks();
    hooks.readCalibrationFile = [this](const std::string& path) {
        const bool read = session_.StartCalibration(path, ConfigurationPath());
        if (read) Calibrated();
        return read;
    };
    hooks.startAutomaticMode = [this](const DesktopOptions& options) {
        automatic_ = std::make_unique<AutomaticRun>(session_, QDir::currentPath().toStdString(), [this](int code) {
            exitCode_ = code;
            if (endProgram_) endProgram_(code);
        });
        automatic_->Prepare(options.testFile.value_or(""), options.serialNumber, ConfigurationPath());
        if (session_.Calibration()) Calibrated();
    };
    hooks.closeConverter = [this] { session_.Close(); };
}

DesktopBench::~DesktopBench() {
    StartUpHooks& hooks = DesktopHooks();
    hooks.readCalibrationFile = nullptr;
    hooks.startAutomaticMode = nullptr;
    hooks.closeConverter = nullptr;
}

std::string DesktopBench::ConfigurationPath() const {
    const std::string path = AppConfiguration().Path();
    return path.empty() ? QDir::current().filePath(kConfigurationFileName).toStdString() : path;
}

void DesktopBench::Calibrated() {
    if (onCalibration_) onCalibration_(*session_.Calibration());
}

int DesktopBench::ExitCode(int windowCode) {
    if (!automatic_) return windowCode;
    if (!automatic_->Finished()) automatic_->Abort(kAborted);
    return exitCode_.value_or(1);
}

void DesktopBench::BeginAutomatic() {
    if (automatic_) automatic_->Begin();
}
