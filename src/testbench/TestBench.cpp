#include "TestBench.h"

#include <cstdio>

#include "BenchDisplay.h"

namespace {
BenchDisplay g_noDisplay;
BenchDisplay* g_display = nullptr;
}  // namespace

BenchDisplay& CurrentBenchDisplay() { return g_display ? *g_display : g_noDisplay; }
void SetBenchDisplay(BenchDisplay* display) { g_display = display; }

BenchOutcome TestBench::Outcome(uint32_t code) const {
    if (code == CONV_OK) return {};
    return {false, link_.ErrorText(), {}};
}

BenchOutcome TestBench::SetSupply(double volts, double limitMa) {
    BenchOutcome outcome = Outcome(link_.SetSupplyVoltage(volts));
    if (!outcome.ok) return outcome;
    if (volts == 0) {
        CurrentBenchDisplay().ResetSupplyCurrent();
        return outcome;
    }
    double amps = 0;
    outcome = Outcome(link_.ReadCurrent(amps));
    if (!outcome.ok) return outcome;
    // The reading is in A, the limit in mA: compared in mA.
    const double milliAmps = amps * 1000.0;
    char text[32];
    std::snprintf(text, sizeof text, "%3.1f", milliAmps);
    const bool within = milliAmps <= limitMa;
    CurrentBenchDisplay().ShowSupplyCurrent(text, within ? StatusColor::Green : StatusColor::Red);
    outcome.valueText = std::string(text) + " mA";
    if (!within) {
        outcome.ok = false;
        outcome.message = " !! WARNING !! \n Supply current outside limits";
    }
    return outcome;
}

BenchOutcome TestBench::SetMotorSpeed(double rpm, bool counterClockwise) {
    return Outcome(link_.SetMotorSpeed(rpm, counterClockwise));
}

BenchOutcome TestBench::SetMotorMode(MotorMode mode) {
    constexpr int kMotorOutput = 64;
    constexpr int kMotorRelay = 0;
    uint32_t code = CONV_OK;
    switch (mode) {
        case MotorMode::Auto:
        case MotorMode::Stop:
            code = link_.SwitchOutput(kMotorOutput, true);
            if (code == CONV_OK) code = link_.SwitchRelay(kMotorRelay, true);
            if (code == CONV_OK) code = link_.SwitchOutput(kMotorOutput, mode == MotorMode::Auto);
            break;
        case MotorMode::Man:
            code = link_.SwitchRelay(kMotorRelay, false);
            break;
    }
    return Outcome(code);
}
