#pragma once
// Reading every entry of an object table from the node under test by SDO, one step per timer
// tick: pre-operational first, then an upload request for each entry that is not a header,
// expedited or segmented. A missing answer (1000 ms) stops the upload at that entry; the
// entries read so far keep their values. The upload can be cancelled at any tick.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ObjectEntry.h"
#include "SdoSteps.h"

inline constexpr const char* kWrongDataLength = "*** wrong data length ***";
inline constexpr const char* kReadError = "*** read error ***";
inline constexpr const char* kToggleError = "Err_Togglebit";

class ObjectUpload {
public:
    // 1 start, 3 first request, 2 waiting for an answer, 4 done; 0 idle.
    enum State { Idle = 0, Start = 1, Waiting = 2, First = 3, Done = 4 };
    static constexpr int kAnswerMs = 1000;

    explicit ObjectUpload(ObjectTable& table) : table_(table) {}

    // Starts at state 1 (frames waiting from before are dropped).
    void Begin();
    // One step; after the step that reaches Done the upload is Idle again and Finished() holds.
    void Tick();
    // Stops at once; a segmented transfer in progress is aborted on the bus.
    void Cancel();

    State CurrentState() const { return state_; }
    bool Running() const { return state_ != Idle; }
    // How it ended: every entry read, no answer (at Current()), or cancelled.
    bool Finished() const { return finished_; }
    bool NoResponse() const { return noResponse_; }
    bool Cancelled() const { return cancelled_; }
    size_t Current() const { return current_; }
    // Entries that are not headers, and how many of them were judged.
    size_t Total() const;
    size_t Judged() const { return judged_; }
    // "%04X" of the entry being read.
    std::string StatusText() const;

private:
    void Request();
    void Judge(const tagOPEN_Message& answer);
    void Next();
    void Mark(EntryReadState state, const char* text);
    size_t NextEntry(size_t from) const;

    ObjectTable& table_;
    State state_ = Idle;
    size_t current_ = 0;
    size_t judged_ = 0;
    uint64_t deadlineUs_ = 0;
    SegmentedRead segments_{kEntryValueTextChars};
    bool zeroAnnounced_ = false;
    bool finished_ = false;
    bool noResponse_ = false;
    bool cancelled_ = false;
};
