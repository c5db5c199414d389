#include "PeakHandleGuard.h"

#include <QDir>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <mutex>

#include "CanInterface.h"
#include "PeakDelay.h"
#include "TimeSource.h"

Q_DECLARE_LOGGING_CATEGORY(lcCan)

namespace {
// How often a taken lock is tried again while waiting.
constexpr int kRetryMs = 5;

std::mutex g_dirMutex;
std::string g_dir;
}  // namespace

std::string PeakHandleGuardDirectory() {
    std::lock_guard lock(g_dirMutex);
    if (!g_dir.empty()) return g_dir;
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    return dir.toStdString();
}

void SetPeakHandleGuardDirectory(const std::string& dir) {
    std::lock_guard lock(g_dirMutex);
    g_dir = dir;
}

std::string PeakHandleGuardPath(uint32_t handle) {
    return PeakHandleGuardDirectory() + "/PeakCanHandleMutex_" + std::to_string(handle) + ".lock";
}

bool PeakHandleGuard::Acquire(uint32_t handle, const IHandleType* own, int timeoutMs) {
    if (handle == 0) return false;
    if (lock_) return true;
    if (own && own->GetHandle() != 0 && own->GetHandle() == handle) return true;
    const std::string dir = PeakHandleGuardDirectory();
    QDir().mkpath(QString::fromStdString(dir));
    auto lock = std::make_unique<NamedLockFile>(PeakHandleGuardPath(handle));
    TimeSource& clock = CurrentTimeSource();
    const uint64_t deadline = DeadlineAfterMs(timeoutMs);
    while (!lock->TryLock()) {
        const uint64_t now = clock.NowUs();
        if (now >= deadline) {
            qCDebug(lcCan, "handle guard %s: still taken after %d ms", lock->Path().c_str(), timeoutMs);
            return false;
        }
        const uint64_t next = now + kRetryMs * 1000u;
        clock.SleepUntil(next < deadline ? next : deadline);
    }
    lock_ = std::move(lock);
    PeakDelay(kPauseMs);
    return true;
}

bool PeakHandleGuard::Release() {
    if (!lock_) return false;
    lock_.reset();
    PeakDelay(kPauseMs);
    return true;
}
