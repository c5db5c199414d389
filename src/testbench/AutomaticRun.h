#pragma once
// The automatic mode: a controlling program starts the station with a continuity test file
// (testfile=…tst) and a serial number (serialnbr=…). The station prepares the test and the
// bench, runs the continuity test, switches the bench off, and ends with exit code 0 when the
// test passed, or writes the reason into "Error.txt" in the start folder and ends with 1.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Ports.h"

class BenchSession;

class AutomaticRun {
public:
    // `endProgram` ends the process with the given exit code (quarzel.ini is not written).
    AutomaticRun(BenchSession& session, std::string startFolder, std::function<void(int)> endProgram);
    ~AutomaticRun();

    // At the end of start-up: checks the serial number and the test file, loads the test, and
    // when the configuration names a calibration file ("[ABGLEICH_INI_DATEI]") reads it,
    // initialises the converter and switches the supply and the motor on. A failure is kept
    // and reported by Begin.
    void Prepare(const std::string& testFile, const std::optional<std::string>& serialNumber,
                 const std::string& configurationPath);
    // Once the window is up: opens the CAN channel and starts the continuity test, then polls
    // it until it has completed (or kTimeLimitMs has passed).
    void Begin();
    bool Finished() const { return finished_; }
    // Ends a run that cannot go on (the window was closed): bench off, "Error.txt" with the
    // failure found so far or else `reason`, exit code 1.
    void Abort(const std::string& reason) { Finish(1, failure_.value_or(reason)); }

    static constexpr int kPollMs = 100;
    static constexpr uint64_t kTimeLimitMs = 15 * 60 * 1000;

private:
    void Fail(const std::string& text);
    void Poll();
    void SwitchBenchOff();
    void Finish(int exitCode, const std::string& errorText);

    BenchSession& session_;
    std::string startFolder_;
    std::function<void(int)> endProgram_;
    std::unique_ptr<TimerPort> pollTimer_;
    std::optional<std::string> failure_;
    uint64_t startUs_ = 0;
    bool benchOn_ = false;
    bool finished_ = false;
};

// "Error. The serial number '%s' is not valid." unless `text` is a decimal number of 1 to 10
// digits up to 4294967295.
std::optional<uint32_t> ParseSerialNumber(const std::string& text);
