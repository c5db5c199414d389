#pragma once
// The trace logger: records every frame that passes the channel while enabled and writes
// them as a CSV file. Frames are kept compactly (24 bytes each); the record count is capped
// so a trace left running cannot eat the machine's memory: frames past the cap are counted
// and the file says how many were not kept.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "CanMessage.h"

class CANLogger {
public:
    // About 240 MB of frames: roughly 18 minutes of a saturated 1 Mbit/s bus.
    static constexpr size_t kDefaultCapacity = 10'000'000;

    explicit CANLogger(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}
    virtual ~CANLogger() { Clear(); }

    void Add(const tagOPEN_Message& msg);
    void Enable();
    void Disable();
    void Clear();
    // Writes the header, the comment (when not empty) and one line per frame. False when the
    // file cannot be created or written; an existing file is replaced only when the write
    // succeeded.
    bool WriteCsv(const std::string& path, const std::string& comment) const;

    bool IsEnabled() const;
    size_t Size() const;
    uint64_t Dropped() const;
    tagOPEN_Message At(size_t index) const;
    // Bytes held for the frames (the storage actually reserved).
    size_t MemoryBytes() const;
    static constexpr size_t BytesPerFrame() { return sizeof(Entry); }

private:
    struct Entry {
        uint64_t timestamp;
        uint32_t id;
        std::array<uint8_t, 8> data;
        uint8_t dlc;
        uint8_t flags;  // bit 0 remote, bits 1..2 direction
        uint16_t pad;
    };
    static_assert(sizeof(Entry) == 24);

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    size_t capacity_;
    uint64_t dropped_ = 0;
    bool enabled_ = false;
};

// One CSV line of a frame (see CANLogger::WriteCsv), cut at maxLength characters.
void FormatCsvLine(std::string& text, const tagOPEN_Message& msg, size_t maxLength = 255);
