#pragma once
// The turning shaft of the simulated encoder: the position advances with time at a speed in
// rpm, in a direction, at a resolution in steps per revolution, within a measuring range.
// A step fault makes the reported position skip, repeat or jump.

#include <cstdint>

struct ShaftFault {
    enum class Kind : uint8_t { None, Skip, Repeat, Jump };
    Kind kind = Kind::None;
    uint64_t every = 0;  // Skip / Repeat: every n-th step; Jump: at step n
    int64_t jump = 0;    // Jump: steps added once
};

class Shaft {
public:
    // Speed in thousandths of a revolution per minute, never negative; `forward` is the
    // counting direction (false counts down).
    void SetSpeed(uint64_t milliRpm, bool forward, uint64_t nowUs);
    void SetScale(uint32_t stepsPerRevolution, uint64_t range, uint64_t nowUs);
    void SetFault(const ShaftFault& fault, uint64_t nowUs);

    // The position the encoder reports: the counted position plus the offset.
    uint32_t Position(uint64_t nowUs) const;
    // The counted position without the offset.
    uint32_t RawPosition(uint64_t nowUs) const;
    // Sets the offset so that the position now is `value` (a preset).
    void Preset(uint32_t value, uint64_t nowUs);
    // The offset between the counted and the reported position (the zero point).
    uint32_t Offset() const { return offset_; }
    void SetOffset(uint32_t offset);

    // Whole steps since the shaft last changed speed, scale or fault.
    uint64_t Steps(uint64_t nowUs) const;
    // The time the step count reaches `steps`; UINT64_MAX while the shaft stands still.
    uint64_t TimeOfStep(uint64_t steps) const;
    bool Turning() const { return milliRpm_ > 0 && stepsPerRev_ > 0; }
    // Signed speed in rpm, limited to 16 bits.
    int16_t SpeedRpm() const;
    uint64_t Range() const { return range_; }

private:
    // Folds the steps so far into the offset and starts counting again at `nowUs`.
    void Rebase(uint64_t nowUs);
    int64_t Reported(uint64_t steps) const;

    uint64_t milliRpm_ = 0;
    bool forward_ = true;
    uint32_t stepsPerRev_ = 8192;
    uint64_t range_ = 8192ull * 4096ull;
    uint32_t rawAtOrigin_ = 0;
    uint32_t offset_ = 0;
    uint64_t originUs_ = 0;
    ShaftFault fault_;
};

// floor(a * b / c) and ceil(a * b / c) with a 128-bit intermediate product; c > 0.
uint64_t MulDivFloor(uint64_t a, uint64_t b, uint64_t c);
uint64_t MulDivCeil(uint64_t a, uint64_t b, uint64_t c);
