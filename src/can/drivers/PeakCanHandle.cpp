#include "PeakCanHandle.h"

bool PeakCanHandle::IsSameHandle(const IHandleType* other) const {
    auto o = dynamic_cast<const PeakCanHandle*>(other);
    return o && o->GetHandle() == GetHandle();
}

bool PeakCanHandle::CopyTo(IHandleType* other) const {
    auto o = dynamic_cast<PeakCanHandle*>(other);
    if (!o) return false;
    o->SetHandle(GetHandle());
    o->SetDeviceNumber(deviceNumber_);
    return true;
}
