#pragma once
// The desktop station's archive: runs are stored in the station's database when they end, and a
// worker thread sends them on to the server; what goes wrong is shown through `report` (the
// status bar), never in the way of the run.

#include <functional>
#include <memory>
#include <string>

#include "ResultUploader.h"
#include "StationArchive.h"

class DesktopArchive {
public:
    using Report = std::function<void(const std::string& text)>;
    explicit DesktopArchive(Report report);
    ~DesktopArchive();

    // Sends what an earlier session left queued (called once the configuration is read).
    void SendQueued();
    StationArchive& Archive() { return archive_; }
    ResultUploader* Uploader() { return &uploader_; }

private:
    Report report_;
    ResultUploader uploader_;
    StationArchive archive_;
};
