#pragma once
// The object browser (the logic of the window `TformObjects`): loads an EDS file into the object
// table, reads every entry from the node under test on `timTimer` (with progress and cancel),
// reads or writes a single entry and triggers store ("save", 0x1010) and restore ("load",
// 0x1011) with the answer awaited on `timItem`, switches the node to pre-operational and
// exports the grid as CSV. Messages go through the operator port.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FileHistory.h"
#include "ObjectGrid.h"
#include "ObjectUpload.h"
#include "Ports.h"

class ObjectBrowser {
public:
    // Single operations awaited on timItem: 1 read, 3 read segments, 5 write, 7 store/restore.
    enum ItemState { ItemIdle = 0, ItemRead = 1, ItemReadSegments = 3, ItemWrite = 5, ItemStore = 7 };
    static constexpr int kDefaultTimerMs = 10;
    static constexpr int kDefaultLongTimerMs = 2000;

    explicit ObjectBrowser(OperatorPort& op);
    ~ObjectBrowser();
    ObjectBrowser(const ObjectBrowser&) = delete;
    ObjectBrowser& operator=(const ObjectBrowser&) = delete;

    // "EDS File laden": the file dialog (pattern [EXTENSION_EDSDATEI]), then LoadFile.
    void mnuLoadEdsClick();
    // A history entry (0..9).
    void mnuEdsFileClick(int k);
    // Loads `path`: messages for failures and for values that could not be read; the history
    // takes the path when the file loaded. True when the whole file loaded.
    bool LoadFile(const std::string& path);
    // Takes a table read elsewhere (the comparison, tests).
    void SetTable(ObjectTable table, const std::string& fileName);

    void btnUploadClick();
    void btnCancelClick();
    void btnReadClick(int gridRow);
    void btnWriteClick(int gridRow);
    void btnSaveClick();
    void btnLoadDefaultClick();
    void btnPreOpClick();
    void btnExportClick();

    // Timer handlers.
    void timTimerTimer();
    void timItemTimer();

    bool EdsLoaded() const { return loaded_; }
    const std::string& FileName() const { return fileName_; }
    const ObjectTable& Table() const { return table_; }
    const std::vector<ObjectGridRow>& Grid() const { return grid_; }
    // Counts the grid's refills, so a window redraws it only when it changed.
    uint64_t GridVersion() const { return gridVersion_; }
    // The status bar: the file name, "No EDS file loaded", or the index being read.
    const std::string& StatusText() const { return status_; }
    // The EDS-file history of the configuration.
    FileHistory History() const;
    bool UploadRunning() const { return upload_.Running(); }
    // Entries judged and entries to read, for the progress bar.
    size_t Progress() const { return upload_.Judged(); }
    size_t ProgressTotal() const { return upload_.Total(); }
    ItemState PendingItem() const { return item_; }
    TimerPort& UploadTimer() { return *timTimer_; }
    TimerPort& ItemTimer() { return *timItem_; }

    // Called after every change the window shows (grid, status, progress, history).
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    bool Busy(const char* caption);
    int CheckedEntry(int gridRow, bool forWrite);
    void StartItem(ItemState state, const tagOPEN_Message& request, int entry, int intervalMs);
    void JudgeItem(const tagOPEN_Message& answer);
    void ItemFailed(const std::string& text);
    void EndItem();
    void Refill();
    void Notify();

    OperatorPort& op_;
    ObjectTable table_;
    std::vector<ObjectGridRow> grid_;
    uint64_t gridVersion_ = 0;
    std::string fileName_;
    std::string status_ = "No EDS file loaded";
    bool loaded_ = false;
    ObjectUpload upload_{table_};
    std::unique_ptr<TimerPort> timTimer_;
    std::unique_ptr<TimerPort> timItem_;
    ItemState item_ = ItemIdle;
    int itemEntry_ = -1;
    uint16_t itemIndex_ = 0;
    uint8_t itemSub_ = 0;
    uint32_t itemValue_ = 0;
    int itemLength_ = 0;
    SegmentedRead itemSegments_{kEntryValueTextChars};
    std::function<void()> listener_;
};
