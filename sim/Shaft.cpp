#include "Shaft.h"

#include <limits>

namespace {
constexpr uint64_t kMicrosPerMinuteMilli = 60ull * 1000000ull * 1000ull;

// 64 x 64 -> 128-bit product as (high, low), portable.
void Mul128(uint64_t a, uint64_t b, uint64_t& hi, uint64_t& lo) {
    const uint64_t aL = a & 0xFFFFFFFFu, aH = a >> 32, bL = b & 0xFFFFFFFFu, bH = b >> 32;
    const uint64_t ll = aL * bL, lh = aL * bH, hl = aH * bL, hh = aH * bH;
    const uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
    lo = (ll & 0xFFFFFFFFu) | (mid << 32);
    hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
}

// (hi, lo) / c, quotient saturated to 64 bits; remainder in `rem`.
uint64_t Div128(uint64_t hi, uint64_t lo, uint64_t c, uint64_t& rem) {
    if (hi >= c) {
        rem = 0;
        return std::numeric_limits<uint64_t>::max();
    }
    uint64_t q = 0;
    uint64_t r = hi;
    for (int i = 63; i >= 0; --i) {
        const bool carry = r >> 63;
        r = (r << 1) | ((lo >> i) & 1);
        q <<= 1;
        if (carry || r >= c) {
            r -= c;
            q |= 1;
        }
    }
    rem = r;
    return q;
}

uint64_t Mod(int64_t v, uint64_t m) {
    if (m == 0) return 0;
    const int64_t r = v % static_cast<int64_t>(m);
    return static_cast<uint64_t>(r < 0 ? r + static_cast<int64_t>(m) : r);
}
}  // namespace

uint64_t MulDivFloor(uint64_t a, uint64_t b, uint64_t c) {
    uint64_t hi, lo, rem;
    Mul128(a, b, hi, lo);
    return Div128(hi, lo, c, rem);
}

uint64_t MulDivCeil(uint64_t a, uint64_t b, uint64_t c) {
    uint64_t hi, lo, rem;
    Mul128(a, b, hi, lo);
    const uint64_t q = Div128(hi, lo, c, rem);
    return rem != 0 && q != std::numeric_limits<uint64_t>::max() ? q + 1 : q;
}

uint64_t Shaft::Steps(uint64_t nowUs) const {
    if (!Turning() || nowUs <= originUs_) return 0;
    return MulDivFloor(nowUs - originUs_, milliRpm_ * stepsPerRev_, kMicrosPerMinuteMilli);
}

uint64_t Shaft::TimeOfStep(uint64_t steps) const {
    if (!Turning()) return std::numeric_limits<uint64_t>::max();
    const uint64_t dt = MulDivCeil(steps, kMicrosPerMinuteMilli, milliRpm_ * stepsPerRev_);
    return dt > std::numeric_limits<uint64_t>::max() - originUs_ ? std::numeric_limits<uint64_t>::max()
                                                                   : originUs_ + dt;
}

int64_t Shaft::Reported(uint64_t steps) const {
    const int64_t s = static_cast<int64_t>(steps & 0x3FFFFFFFFFFFFFFFull);
    switch (fault_.kind) {
    case ShaftFault::Kind::Skip: return fault_.every ? s + s / static_cast<int64_t>(fault_.every) : s;
    case ShaftFault::Kind::Repeat: return fault_.every ? s - s / static_cast<int64_t>(fault_.every) : s;
    case ShaftFault::Kind::Jump: return steps >= fault_.every ? s + fault_.jump : s;
    case ShaftFault::Kind::None: break;
    }
    return s;
}

uint32_t Shaft::RawPosition(uint64_t nowUs) const {
    const int64_t counted = static_cast<int64_t>(Mod(Reported(Steps(nowUs)), range_));
    return static_cast<uint32_t>(Mod(static_cast<int64_t>(rawAtOrigin_) + (forward_ ? counted : -counted), range_));
}

uint32_t Shaft::Position(uint64_t nowUs) const {
    return static_cast<uint32_t>((static_cast<uint64_t>(RawPosition(nowUs)) + offset_) % range_);
}

void Shaft::Rebase(uint64_t nowUs) {
    rawAtOrigin_ = RawPosition(nowUs);
    originUs_ = nowUs;
}

void Shaft::SetSpeed(uint64_t milliRpm, bool forward, uint64_t nowUs) {
    Rebase(nowUs);
    milliRpm_ = milliRpm;
    forward_ = forward;
}

void Shaft::SetScale(uint32_t stepsPerRevolution, uint64_t range, uint64_t nowUs) {
    Rebase(nowUs);
    stepsPerRev_ = stepsPerRevolution;
    range_ = range == 0 ? 1 : range;
    rawAtOrigin_ = static_cast<uint32_t>(rawAtOrigin_ % range_);
    offset_ = static_cast<uint32_t>(offset_ % range_);
}

void Shaft::SetFault(const ShaftFault& fault, uint64_t nowUs) {
    Rebase(nowUs);
    fault_ = fault;
}

void Shaft::Preset(uint32_t value, uint64_t nowUs) {
    const uint64_t raw = RawPosition(nowUs);
    offset_ = static_cast<uint32_t>((value % range_ + range_ - raw) % range_);
}

void Shaft::SetOffset(uint32_t offset) { offset_ = static_cast<uint32_t>(offset % range_); }

int16_t Shaft::SpeedRpm() const {
    const int64_t rpm = static_cast<int64_t>(milliRpm_ / 1000);
    const int64_t v = forward_ ? rpm : -rpm;
    return static_cast<int16_t>(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
}
