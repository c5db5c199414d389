#pragma once
// A finished run as the result archive keeps it, and the port through which the station hands
// each finished run to the archive. The runner opens a record at START and closes it once when
// the run ends (finished, stopped, channel lost, ended by the test); the program decides where
// the record goes by installing a RunArchivePort.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ProtocolGrid.h"
#include "StationView.h"

struct RunRecord {
    std::string uuid;            // "xxxxxxxx-xxxx-..." without braces, lower case
    std::string station;         // "[STATION_NAME]" or the host name
    std::string programVersion;
    std::string interfaceType;   // "[CAN_TREIBER_TYP]"
    bool simulated = false;      // the run talked to a simulated device
    std::string testFile;        // full path
    std::string testSha256;      // of the file's bytes at START, 64 hex digits
    // Device identity and node parameters as the script variables held them at the end.
    std::optional<uint32_t> serialNr, vendorId, prodCode, revNr, nodeId, baudrate;
    int64_t startedMs = 0;       // ms since 1970-01-01 UTC
    int64_t endedMs = 0;
    std::string verdict;         // "passed", "failed", "stopped", ...
    int32_t errorCount = 0;
    int32_t exitCode = 0;
    std::string traceFile;       // a trace recording written during the run, if any
    uint64_t discardedRows = 0;  // rows the grid no longer held at the end
    std::vector<GridRow> rows;   // the protocol rows as the grid shows them (8-bit text)

    friend bool operator==(const RunRecord&, const RunRecord&) = default;
};

class RunArchivePort {
public:
    virtual ~RunArchivePort() = default;
    // Called once per finished run on the thread that ran it. Must not fail the run: problems
    // are reported by the port itself.
    virtual void ArchiveRun(RunRecord run) = 0;
};

// Null when no archive is installed (runs are then not recorded).
RunArchivePort* CurrentRunArchive();
void SetRunArchive(RunArchivePort* archive);

// How a run ended, as a verdict text and an exit code.
struct RunOutcome {
    std::string verdict;
    int exitCode = 0;
};

// The verdict and exit code of a run that ended for `reason` (quarzel-run's verdict texts).
RunOutcome RunOutcomeOf(RunEnd reason, int errorCount, int programExitCode);
// A run stopped by the operator (or a time limit) and never continued.
RunOutcome StoppedRunOutcome();

// Collects what a record needs while a run is open. Begin() at START, End() when the run is
// over; End() hands the record to the archive and does nothing when no run is open.
class RunRecording {
public:
    void Begin();
    bool IsOpen() const { return open_; }
    void End(const ProtocolGrid& grid, int32_t errorCount, const RunOutcome& outcome);
    // Forgets an open run without recording it.
    void Discard() { open_ = false; }

private:
    bool open_ = false;
    std::string uuid_;
    std::string testFile_;
    std::string testSha256_;
    int64_t startedMs_ = 0;
    uint64_t traceCountAtStart_ = 0;
};

// Wall-clock milliseconds since 1970 from the station's time source (virtual in tests).
int64_t StationEpochMs();
// The record's fields that come from the station's state: identity variables, station name,
// interface; used by RunRecording::End and by tests.
void FillStationFields(RunRecord& run);
