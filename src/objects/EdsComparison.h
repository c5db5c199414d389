#pragma once
// Comparing a device with its EDS: every entry is uploaded (as the object browser does), then
// each read-only or constant entry that was read is written back with its own value, which the
// device must refuse. Every difference is flagged: a value other than the EDS default, an object
// the device does not have, an access the device refuses, a read-only object it lets write.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ObjectUpload.h"
#include "Ports.h"

enum class EdsDifferenceKind {
    ValueDiffers,      // the value read is not the EDS default
    ObjectMissing,     // the device answers "object / sub-index does not exist"
    AccessRefused,     // another abort, or an answer that cannot be read
    ReadOnlyWritable,  // a "ro" or "const" entry accepted a write
};

struct EdsDifference {
    EdsDifferenceKind kind;
    uint32_t index = 0;
    uint32_t subindex = 0;
    std::string name;
    std::string expected;  // the EDS side
    std::string actual;    // the device side
};

// "value differs", "object missing", "access refused", "read-only object writable".
const char* EdsDifferenceName(EdsDifferenceKind kind);
// One line: "1018sub2  ProductCode  value differs: EDS 0x00005813, device 0x00005814".
std::string EdsDifferenceText(const EdsDifference& d);

// The differences of an uploaded table against the defaults and access types of its EDS
// (`$NODEID` is `nodeId`). Entries without a default are not compared by value; write-only
// entries are not read; entries not read (an upload that stopped) are skipped.
std::vector<EdsDifference> CompareWithEds(const ObjectTable& table, uint32_t nodeId);

class EdsComparison {
public:
    enum class Phase { Idle, Upload, WriteCheck, Done };
    static constexpr int kDefaultTimerMs = 10;

    EdsComparison();
    ~EdsComparison();
    EdsComparison(const EdsComparison&) = delete;
    EdsComparison& operator=(const EdsComparison&) = delete;

    // Starts on the timer (interval: the script variable Timer); false when no channel opens.
    bool Start(ObjectTable table);
    void Cancel();
    // One step (the timer's handler).
    void Tick();

    Phase CurrentPhase() const { return phase_; }
    bool Running() const { return phase_ == Phase::Upload || phase_ == Phase::WriteCheck; }
    // Ended because the device stopped answering (at StoppedAt()).
    bool NoResponse() const { return noResponse_; }
    bool Cancelled() const { return cancelled_; }
    std::string StoppedAt() const;
    const ObjectTable& Table() const { return table_; }
    const std::vector<EdsDifference>& Differences() const { return differences_; }
    // Equal: everything read, nothing flagged.
    bool Equal() const { return phase_ == Phase::Done && !noResponse_ && !cancelled_ && differences_.empty(); }
    size_t Progress() const;
    size_t ProgressTotal() const;
    TimerPort& Timer() { return *timer_; }

    // Called after every step (windows refresh) and when the comparison ends.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void NextWriteCheck();
    void JudgeWriteCheck();
    void Finish();

    ObjectTable table_;
    ObjectUpload upload_{table_};
    std::unique_ptr<TimerPort> timer_;
    Phase phase_ = Phase::Idle;
    size_t check_ = 0;
    size_t checksDone_ = 0;
    size_t checksTotal_ = 0;
    bool waiting_ = false;
    uint64_t deadlineUs_ = 0;
    bool noResponse_ = false;
    bool cancelled_ = false;
    std::vector<size_t> writable_;  // entries that accepted a write
    std::vector<EdsDifference> differences_;
    std::function<void()> listener_;
};
