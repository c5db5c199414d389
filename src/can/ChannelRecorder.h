#pragma once
// Records every frame that passes the channel (sent, or read by whoever reads it) into a trace
// file of the format its extension names (TraceFiles.h). Streams to the file as frames pass, so
// nothing is held in memory and nothing is lost while any view of the bus drops lines.

#include <cstdint>
#include <mutex>
#include <string>

#include "CanMessage.h"
#include "TraceFiles.h"

class ChannelRecorder {
public:
    ChannelRecorder() = default;
    ~ChannelRecorder() { Stop(); }
    ChannelRecorder(const ChannelRecorder&) = delete;
    ChannelRecorder& operator=(const ChannelRecorder&) = delete;

    // Creates the file and starts recording; false with `error` set for an unknown extension or
    // a file that cannot be created.
    bool Start(const std::string& path, std::string& error);
    // Stops and closes the file; false when a write failed (the error says so).
    bool Stop(std::string* error = nullptr);
    bool Recording() const;
    uint64_t Frames() const;
    const std::string& Path() const { return path_; }

private:
    void Take(const tagOPEN_Message& msg, uint64_t timeUs);

    mutable std::mutex mutex_;
    TraceFileWriter writer_;
    std::string path_;
    int observer_ = 0;
};
