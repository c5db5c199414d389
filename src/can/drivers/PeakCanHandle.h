#pragma once
// The handle of a PCAN channel: the library handle (0 = none chosen) and its device number.

#include <cstdint>

#include "CanInterface.h"

class PeakCanHandle final : public IHandleType {
public:
    PeakCanHandle() = default;
    PeakCanHandle(uint32_t handle, uint32_t deviceNumber) : deviceNumber_(deviceNumber) { SetHandle(handle); }

    // True when `other` is a PeakCanHandle with the same library handle.
    bool IsSameHandle(const IHandleType* other) const override;
    // Gives `other` (a PeakCanHandle) this handle and device number; false for another type.
    bool CopyTo(IHandleType* other) const override;
    // Values below 1 store 0.
    void SetHandle(int64_t h) override { handle_ = h < 1 ? 0 : static_cast<uint32_t>(h); }

    uint32_t DeviceNumber() const { return deviceNumber_; }
    void SetDeviceNumber(uint32_t n) { deviceNumber_ = n; }

private:
    uint32_t deviceNumber_ = 0xFFFFFFFF;
};
