#pragma once
// Runs in a result database: stored in one transaction each, found by serial number, test
// file and time, read back with their rows, counted for the yield. A run's UUID is unique:
// storing a run a second time changes nothing (exactly once, also across stations).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ResultDatabase.h"
#include "RunRecord.h"

// One run without its rows.
struct RunSummary {
    int64_t id = 0;
    RunRecord run;  // rows empty
    int32_t rowCount = 0;
};

struct RunFilter {
    std::optional<uint32_t> serialNr;
    std::string testFile;               // a full path, or a file name matched at the path's end
    std::optional<int64_t> fromMs, toMs;  // started_at in [fromMs, toMs)
    int limit = 100;                    // newest first; 0: no limit
};

struct YieldRow {
    std::string day;       // "2026-12-09" (local time)
    std::string testFile;
    int runs = 0;
    int passed = 0;
    int simulated = 0;     // runs against a simulated device
};

enum class StoreResult { Stored, Duplicate, Failed };

class ResultStore {
public:
    explicit ResultStore(ResultDatabase& db) : db_(db) {}

    // Migrates the schema (see ResultSchema.h).
    bool Prepare(std::string& error);

    // Stores a run with its rows in one transaction. `queueForServer` also puts it in the
    // queue of runs still to send (a station's local database).
    StoreResult Store(const RunRecord& run, bool queueForServer, std::string& error);

    std::vector<RunSummary> List(const RunFilter& filter, std::string& error);
    // A run by its UUID (or a unique start of it), with its rows.
    std::optional<RunRecord> Load(const std::string& uuidOrPrefix, std::string& error);
    std::vector<YieldRow> Yield(const RunFilter& filter, std::string& error);

    // Queued runs, oldest first.
    std::vector<std::string> QueuedUuids(int limit, std::string& error);
    bool Dequeue(const std::string& uuid, std::string& error);
    int64_t RunCount(std::string& error);

    // Called after each stored row inside the transaction (tests interrupt a write here).
    void SetRowHook(std::function<void(size_t row)> hook) { rowHook_ = std::move(hook); }

private:
    bool StoreRowsAsArrays(long long runId, const std::vector<GridRow>& rows, std::string& error);
    bool StoreRowsOneByOne(long long runId, const std::vector<GridRow>& rows, std::string& error);

    ResultDatabase& db_;
    std::function<void(size_t)> rowHook_;
};
