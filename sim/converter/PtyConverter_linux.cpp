#include "PtyConverter.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

PtyConverter::PtyConverter(ConverterSwitches switches, LogFn log) : device_(switches), log_(std::move(log)) {}

PtyConverter::~PtyConverter() { Stop(); }

bool PtyConverter::Start(std::string& error) {
    if (master_ >= 0) return true;
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        Stop();
        return false;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        Stop();
        return false;
    }
    devicePath_ = name;
    slaveKeeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    // Raw bytes both ways: no CR/LF translation, no echo, no line buffering.
    termios tio{};
    if (slaveKeeper_ >= 0 && tcgetattr(slaveKeeper_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slaveKeeper_, TCSANOW, &tio);
    }
    int pipeFds[2];
    if (slaveKeeper_ < 0 || pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("cannot open the pseudo-terminal: ") + std::strerror(errno);
        Stop();
        return false;
    }
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void PtyConverter::Stop() {
    if (thread_.joinable()) {
        const char stop = 's';
        [[maybe_unused]] const auto written = ::write(wakeWrite_, &stop, 1);
        thread_.join();
    }
    for (int* fd : {&master_, &slaveKeeper_, &wakeRead_, &wakeWrite_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void PtyConverter::Serve() {
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) continue;
        std::vector<std::string> lines;
        std::string answer;
        {
            std::lock_guard lock(mutex_);
            answer = device_.Receive(std::string_view(buffer, static_cast<size_t>(n)), &lines);
        }
        size_t done = 0;
        while (done < answer.size()) {
            const ssize_t w = ::write(master_, answer.data() + done, answer.size() - done);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0 && errno == EAGAIN) {
                pollfd out{master_, POLLOUT, 0};
                ::poll(&out, 1, 100);
                continue;
            }
            if (w <= 0) break;
            done += static_cast<size_t>(w);
        }
        if (log_)
            for (const auto& line : lines) log_(line);
        changed_.notify_all();
    }
}

void PtyConverter::SetSwitches(const ConverterSwitches& switches) {
    std::lock_guard lock(mutex_);
    device_.Switches() = switches;
}

ConverterState PtyConverter::State() const {
    std::lock_guard lock(mutex_);
    return device_.State();
}

std::vector<std::string> PtyConverter::Requests() const {
    std::lock_guard lock(mutex_);
    return device_.Requests();
}

bool PtyConverter::WaitForRequests(size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return device_.Requests().size() >= count; });
}
