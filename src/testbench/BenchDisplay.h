#pragma once
// What the main window shows of the test bench: the supply current field and the calibration
// file's encoder type and cover-sheet texts. The desktop's bench panel implements it.

#include <string>

#include "Ports.h"

class BenchDisplay {
public:
    virtual ~BenchDisplay() = default;
    // The current in mA ("%3.1f") in green or red.
    virtual void ShowSupplyCurrent(const std::string& /*milliAmps*/, StatusColor /*color*/) {}
    // The supply is off: the current field gets its normal colour again.
    virtual void ResetSupplyCurrent() {}
    virtual void ShowCalibration(const std::string& /*encoderType*/, const std::string& /*coverSheet*/) {}
};

// The installed display; without one a display that shows nothing.
BenchDisplay& CurrentBenchDisplay();
void SetBenchDisplay(BenchDisplay* display);
