#pragma once
// The station's test bench for one program run: the converter link and the bench operations
// (installed as the bench commands' converter while the session lives), the calibration file
// and the calibration start-up.

#include <optional>
#include <string>

#include "CalibrationFile.h"
#include "ConverterLink.h"
#include "TestBench.h"

class BenchSession {
public:
    BenchSession();
    ~BenchSession();
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    // The program was started with a calibration file: reads and applies it ("File not found\n"),
    // loads its first test file, then initialises the converter from `configurationPath`. True
    // when the calibration file was read.
    bool StartCalibration(const std::string& calibrationPath, const std::string& configurationPath);
    // Reads the calibration file and applies its keys (display, remarks); false when missing,
    // without a message.
    bool ApplyCalibration(const std::string& calibrationPath);
    // Initialises the converter expecting type 2, then type 3; the bench is active when one of
    // them succeeds. `showFailure`: "Converter could not be initialized" to the operator.
    bool InitialiseConverter(const std::string& configurationPath, bool showFailure);
    // Closes the converter link (shutdown).
    void Close();

    const std::optional<CalibrationSettings>& Calibration() const { return calibration_; }
    bool CalibrationMode() const { return calibrationMode_; }
    // The calibration file's folder: relative file names in it are taken from there.
    std::string ResolvePath(const std::string& name) const;
    TestBench& Bench() { return bench_; }
    ConverterLink& Link() { return link_; }

private:
    ConverterLink link_;
    TestBench bench_{link_};
    std::optional<CalibrationSettings> calibration_;
    std::string calibrationFolder_;
    bool calibrationMode_ = false;
};

// The session of the running program, or null.
BenchSession* CurrentBenchSession();
