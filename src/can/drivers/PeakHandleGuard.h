#pragma once
// Keeps station processes (and threads) from probing the same PCAN library handle at the same
// time: one lock file per handle ("PeakCanHandleMutex_<handle>.lock") in the user's runtime
// folder. The wait for it is bounded; the system frees it when a holder dies.

#include <cstdint>
#include <memory>
#include <string>

#include "NamedLockFile.h"

class IHandleType;

class PeakHandleGuard {
public:
    static constexpr int kTimeoutMs = 3200;
    static constexpr int kPauseMs = 20;

    PeakHandleGuard() = default;
    ~PeakHandleGuard() { Release(); }
    PeakHandleGuard(const PeakHandleGuard&) = delete;
    PeakHandleGuard& operator=(const PeakHandleGuard&) = delete;

    // False for handle 0 or when the lock stays taken for `timeoutMs`. Succeeds without a lock
    // when `own` already holds this handle (the interface's own channel). After taking the
    // lock it pauses 20 ms.
    bool Acquire(uint32_t handle, const IHandleType* own, int timeoutMs = kTimeoutMs);
    // Frees a lock taken by Acquire and pauses 20 ms; false when none was held.
    bool Release();
    bool HoldsLock() const { return lock_ != nullptr; }

private:
    std::unique_ptr<NamedLockFile> lock_;
};

// The folder of the lock files; SetPeakHandleGuardDirectory("") restores the default
// (the user's runtime folder).
std::string PeakHandleGuardDirectory();
void SetPeakHandleGuardDirectory(const std::string& dir);
std::string PeakHandleGuardPath(uint32_t handle);
