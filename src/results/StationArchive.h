#pragma once
// The station's side of the archive. Every finished run goes first into the station's own
// SQLite database in the log folder ("quarzel-results.sqlite"), in one transaction. With
// "[RESULT_DB]" naming a PostgreSQL server the run is also queued there and sent to the server,
// oldest first; a run the server cannot take now stays queued and is sent when it is back. The
// server refuses a UUID it has, so a run arrives exactly once. Nothing here fails a run:
// problems are reported through the report function.

#include <functional>
#include <string>

#include "Configuration.h"
#include "RunRecord.h"

inline constexpr const char* kLocalArchiveFileName = "quarzel-results.sqlite";

struct ArchiveTarget {
    bool off = false;         // "[RESULT_DB]" is "off"
    std::string localPath;    // the station's SQLite database
    std::string server;       // a PostgreSQL connection, or empty
    std::string problem;      // a "[RESULT_DB]" value that could not be used
};

// Where a station with this configuration keeps its runs. A relative "[LOG_DIR]" is taken from
// the folder of quarzel.ini.
ArchiveTarget ArchiveTargetFor(const Configuration& config);

struct ForwardResult {
    int sent = 0;         // runs the server took (or had already)
    int left = 0;         // runs still queued
    bool ok = true;       // false: stopped at a problem (in `error`)
    std::string error;
};

// Sends the runs queued in `localPath` to `server`, oldest first, each in its own transaction.
ForwardResult ForwardQueuedRuns(const std::string& localPath, const std::string& server, int connectTimeoutSeconds);

class StationArchive final : public RunArchivePort {
public:
    using Report = std::function<void(const std::string& text)>;
    // Hands the forwarding to someone else (a worker thread); by default it runs at once.
    using Forwarder = std::function<void(const ArchiveTarget& target)>;

    explicit StationArchive(Report report, Forwarder forwarder = {});

    // Seconds to wait for the server when forwarding at once.
    void SetConnectTimeout(int seconds) { connectTimeout_ = seconds; }
    // Stores the run locally, then forwards (see the class comment).
    void ArchiveRun(RunRecord run) override;
    // The UUID of the run stored last ("" when none).
    const std::string& LastStoredUuid() const { return lastUuid_; }
    const std::string& LastLocalPath() const { return lastLocalPath_; }

private:
    Report report_;
    Forwarder forwarder_;
    int connectTimeout_ = 5;
    std::string lastUuid_;
    std::string lastLocalPath_;
};
