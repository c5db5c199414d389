#pragma once
// The test-bench converter as the bench commands ("BEF_Ub", "BEF_Drehzahl", "BEF_Motor") see
// it. The converter's own code installs an implementation; without one, or while it is not
// active, the commands ask the operator to set the bench by hand. A failed operation shows its
// message and makes the step an error.

#include <string>

enum class MotorMode { Auto, Man, Stop };

// What a bench operation reports to its command.
struct BenchOutcome {
    bool ok = true;
    std::string message;    // on failure: the text shown to the operator and noted in the row
    std::string valueText;  // a measurement for the row's value column (empty: none)
};

class BenchConverter {
public:
    virtual ~BenchConverter() = default;
    // True when the converter was initialised at start and is usable.
    virtual bool IsActive() const = 0;
    // Sets the supply voltage and, when it is not 0, reads the current and judges it against
    // `limitMa`. A current outside the limit is a failure with the warning as its message.
    virtual BenchOutcome SetSupply(double volts, double limitMa) = 0;
    virtual BenchOutcome SetMotorSpeed(double rpm, bool counterClockwise) = 0;
    virtual BenchOutcome SetMotorMode(MotorMode mode) = 0;
};

// The installed converter, or null.
BenchConverter* CurrentBenchConverter();
void SetBenchConverter(BenchConverter* converter);
