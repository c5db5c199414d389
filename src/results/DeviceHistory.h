#pragma once
// The history of one device for the desktop's history window: the runs stored for a serial
// number, newest first, and the rows of the one chosen. Looks on the station's server when
// "[RESULT_DB]" names one (falling back to the station's own database when the server cannot be
// reached), else in the station's own database.

#include <optional>
#include <string>
#include <vector>

#include "ResultStore.h"
#include "StationArchive.h"

class DeviceHistory {
public:
    explicit DeviceHistory(ArchiveTarget target) : target_(std::move(target)) {}

    // `serialText`: decimal or 0x hexadecimal. False with a message for the status line when
    // the text is not a serial number or no database could be read; true otherwise (the
    // message then says how many runs were found and where).
    bool Search(const std::string& serialText, std::string& message);
    const std::vector<RunSummary>& Runs() const { return runs_; }
    // The rows of Runs()[index].
    std::optional<RunRecord> Open(size_t index, std::string& message);

    static constexpr int kMaxRuns = 1000;

private:
    bool OpenDatabase(ResultDatabase& db, std::string& where, std::string& message);

    ArchiveTarget target_;
    std::vector<RunSummary> runs_;
    std::string openedFrom_;
};
