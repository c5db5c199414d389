#include "NamedLockFile.h"

#if defined(_WIN32)
#include <windows.h>

#include <QString>

bool NamedLockFile::TryLock() {
    if (locked_) return true;
    const std::wstring path = QString::fromStdString(path_).toStdWString();
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED ov{};
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov)) {
        CloseHandle(h);
        return false;
    }
    file_ = h;
    locked_ = true;
    return true;
}

void NamedLockFile::Unlock() {
    if (!locked_) return;
    OVERLAPPED ov{};
    UnlockFileEx(static_cast<HANDLE>(file_), 0, 1, 0, &ov);
    CloseHandle(static_cast<HANDLE>(file_));
    file_ = nullptr;
    locked_ = false;
}

#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool NamedLockFile::TryLock() {
    if (locked_) return true;
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // flock locks belong to the open file description: a second open in this process
    // conflicts as a second process would.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    locked_ = true;
    return true;
}

void NamedLockFile::Unlock() {
    if (!locked_) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    locked_ = false;
}
#endif
