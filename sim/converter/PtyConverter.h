#pragma once
// The simulated converter behind a pseudo-terminal: the station opens the terminal's device path
// as its serial port. A thread answers the requests as they arrive.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ConverterDevice.h"

class PtyConverter {
public:
    using LogFn = std::function<void(const std::string& line)>;
    explicit PtyConverter(ConverterSwitches switches = {}, LogFn log = {});
    ~PtyConverter();
    PtyConverter(const PtyConverter&) = delete;
    PtyConverter& operator=(const PtyConverter&) = delete;

    // Creates the terminal and starts answering; false with `error` set when it cannot.
    bool Start(std::string& error);
    void Stop();
    // The device path the station opens (for example /dev/pts/7); empty before Start.
    const std::string& DevicePath() const { return devicePath_; }

    // Changes the switches while running.
    void SetSwitches(const ConverterSwitches& switches);
    ConverterState State() const;
    std::vector<std::string> Requests() const;
    // Waits until `count` requests have been answered (or ignored), at most `timeoutMs`.
    bool WaitForRequests(size_t count, int timeoutMs) const;

private:
    void Serve();

    ConverterDevice device_;
    LogFn log_;
    std::string devicePath_;
    int master_ = -1;
    int slaveKeeper_ = -1;  // keeps the terminal alive while no station has it open
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
};
