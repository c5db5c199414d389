#pragma once
// An exclusive lock on a file, shared by every process of the user: taken without waiting,
// released by Unlock, by the destructor, or by the system when the holding process ends
// (even when it crashes). Two holders in one process exclude each other too.

#include <string>

class NamedLockFile {
public:
    explicit NamedLockFile(std::string path) : path_(std::move(path)) {}
    ~NamedLockFile() { Unlock(); }
    NamedLockFile(const NamedLockFile&) = delete;
    NamedLockFile& operator=(const NamedLockFile&) = delete;

    // True when this object now holds the lock (also when it held it already).
    bool TryLock();
    void Unlock();
    bool IsLocked() const { return locked_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool locked_ = false;
#if defined(_WIN32)
    void* file_ = nullptr;
#else
    int fd_ = -1;
#endif
};
