#pragma once
// The test-bench converter as the bench commands ("BEF_Ub", "BEF_Drehzahl", "BEF_Motor") see
// it. The converter's own code installs an implementation; without one, or while it is not
// active, the commands ask the operator to set the bench by hand.

enum class MotorMode { Auto, Man, Stop };

class BenchConverter {
public:
    virtual ~BenchConverter() = default;
    // True when the converter was initialised at start and is usable.
    virtual bool IsActive() const = 0;
    // Sets the supply voltage, reads the current and judges it against `limitMa` (showing its
    // own messages on failure).
    virtual void SetSupply(double volts, double limitMa) = 0;
    virtual void SetMotorSpeed(double rpm, bool counterClockwise) = 0;
    virtual void SetMotorMode(MotorMode mode) = 0;
};

// The installed converter, or null.
BenchConverter* CurrentBenchConverter();
void SetBenchConverter(BenchConverter* converter);
