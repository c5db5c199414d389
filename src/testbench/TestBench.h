#pragma once
// The bench operations over the converter link: the supply with its current check, the motor
// speed and direction, motor on, manual and stop. Installed as the bench commands' converter.

#include "BefBench.h"
#include "ConverterLink.h"

class TestBench final : public BenchConverter {
public:
    explicit TestBench(ConverterLink& link) : link_(link) {}

    bool IsActive() const override { return active_; }
    // Set by the calibration start-up when the converter was initialised.
    void SetActive(bool active) { active_ = active; }
    ConverterLink& Link() { return link_; }

    BenchOutcome SetSupply(double volts, double limitMa) override;
    BenchOutcome SetMotorSpeed(double rpm, bool counterClockwise) override;
    BenchOutcome SetMotorMode(MotorMode mode) override;

private:
    BenchOutcome Outcome(uint32_t code) const;

    ConverterLink& link_;
    bool active_ = false;
};
