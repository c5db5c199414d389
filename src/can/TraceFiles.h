#pragma once
// Trace recordings in the formats other CAN tools read, chosen by the file extension:
//   .log  candump log (can-utils):   (1699999999.123456) can0 123#1122 R
//   .trc  PEAK trace, version 2.1:   columns N,O,T,B,I,d,R,L,D
//   .asc  Vector ASCII log:          0.001234 1  123             Rx   d 2 11 22
// The writer streams (nothing grows with the recording); the reader takes the three forms back.

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

enum class TraceFileFormat { CandumpLog, PeakTrc, VectorAsc };

// The format for a file name by its extension (case-insensitive); nullopt for any other.
std::optional<TraceFileFormat> TraceFileFormatOf(const std::string& path);
// "Trace files (*.log *.trc *.asc)|..." for the file dialogs.
const char* TraceFileDialogFilter();

struct TraceFileFrame {
    uint64_t unixUs = 0;  // reception or send time, microseconds since 1970 (UTC)
    uint32_t id = 0;
    bool rtr = false;
    uint8_t len = 0;  // 0..8; a remote frame's requested length
    std::array<uint8_t, 8> data{};
    bool tx = false;  // sent by the station
};

// Microseconds since 1601 (the station's clock) to microseconds since 1970.
uint64_t UnixMicroseconds(uint64_t stationUs);

class TraceFileWriter {
public:
    TraceFileWriter() = default;
    ~TraceFileWriter() { Close(); }
    TraceFileWriter(const TraceFileWriter&) = delete;
    TraceFileWriter& operator=(const TraceFileWriter&) = delete;

    // Creates the file and writes its header; times in the file count from `startUnixUs`.
    bool Open(const std::string& path, TraceFileFormat format, uint64_t startUnixUs, std::string& error);
    // Appends a frame; false once a write has failed (the file is then incomplete).
    bool Write(const TraceFileFrame& frame);
    // Writes the end of the file and closes it; false when any write failed.
    bool Close();
    bool IsOpen() const { return file_ != nullptr; }
    uint64_t Written() const { return written_; }

private:
    std::FILE* file_ = nullptr;
    TraceFileFormat format_ = TraceFileFormat::CandumpLog;
    uint64_t startUs_ = 0;
    uint64_t written_ = 0;
    bool failed_ = false;
};

// Reads a trace file of any of the three forms (chosen by its extension). At most `limit`
// frames are kept; `more` counts those beyond. False with `error` set when the file cannot be
// read or a line is not understood (its number is given).
bool ReadTraceFile(const std::string& path, std::vector<TraceFileFrame>& frames, std::string& error,
                   size_t limit = SIZE_MAX, uint64_t* more = nullptr);
