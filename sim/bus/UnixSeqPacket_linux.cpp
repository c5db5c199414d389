#include "UnixSeqPacket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
bool FillAddress(const std::string& path, sockaddr_un& addr, std::string& error) {
    addr = {};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
        error = "socket path \"" + path + "\" is empty or longer than " + std::to_string(sizeof(addr.sun_path) - 1) +
                " characters";
        return false;
    }
    for (size_t i = 0; i < path.size(); ++i) addr.sun_path[i] = path[i];
    return true;
}

std::string Reason() { return std::strerror(errno); }

int NewSocket(const std::string& path, sockaddr_un& addr, std::string& error) {
    if (!FillAddress(path, addr, error)) return -1;
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) error = "socket: " + Reason();
    return fd;
}
}  // namespace

int ConnectSeqPacket(const std::string& path, std::string& error) {
    sockaddr_un addr;
    const int fd = NewSocket(path, addr, error);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        error = "cannot connect to " + path + ": " + Reason();
        close(fd);
        return -1;
    }
    return fd;
}

int ListenSeqPacket(const std::string& path, std::string& error) {
    sockaddr_un addr;
    const int fd = NewSocket(path, addr, error);
    if (fd < 0) return -1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
            if (listen(fd, 16) == 0) return fd;
            error = "listen on " + path + ": " + Reason();
            unlink(path.c_str());
            break;
        }
        if (errno != EADDRINUSE || attempt > 0) {
            error = "cannot bind " + path + ": " + Reason();
            break;
        }
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) {
            error = path + " exists and is not a socket";
            break;
        }
        std::string ignored;
        const int probe = ConnectSeqPacket(path, ignored);
        if (probe >= 0) {
            close(probe);
            error = "another server is listening at " + path;
            break;
        }
        unlink(path.c_str());  // stale: nobody answers there
    }
    close(fd);
    return -1;
}
