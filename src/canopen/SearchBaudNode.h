#pragma once
// Finding an unknown device: the bit-rate search reopens the channel at each bit rate of the
// table (slowest first) and listens for any traffic after an NMT start broadcast; the node
// search provokes a boot-up or emergency frame with an NMT reset broadcast and takes the node
// id from its identifier; the guarded node search addresses node ids 1 to 127 one by one.
//
// The logic runs on three timers (`timBaudSearch`, `timNodeSearch`, `timNodeSearchGuard`);
// each tick stops its timer before it works, so ticks never overlap. Outcomes go to a
// SearchReportPort (the search window and the main window), questions to the operator port.

#include <cstdint>
#include <memory>
#include <string>

#include "CanMessage.h"
#include "Ports.h"

// The search's view of the station's windows. Every method has a harmless default.
class SearchReportPort {
public:
    virtual ~SearchReportPort() = default;
    // The main window's status field: the outcome, red for failure, green for success.
    virtual void ShowSearchStatus(const std::string& /*text*/, StatusColor /*color*/) {}
    // The guarded search's current candidate node id, shown in the search window.
    virtual void ShowCandidate(int /*nodeId*/) {}
    // The guarded search shows the search window when it starts.
    virtual void ShowSearchWindow() {}
    // A node id was found and accepted: the main window applies it (NodeId and its panel).
    virtual void ApplyNodeId(int /*nodeId*/) {}
    // Every end of a search (found, not found, channel failure, cancelled): the main window
    // clears its search-running flag.
    virtual void SearchEnded() {}
};

class BaudNodeSearch {
public:
    static constexpr int kInitialIntervalMs = 100;
    static constexpr int kSettleMs = 650;       // after reopening at a new bit rate
    static constexpr int kListenMs = 30;        // after the start broadcast
    static constexpr int kCandidateCount = 127; // guarded search: node ids 1 .. 127

    enum class Kind { None, BitRate, Node, GuardedNode };

    // The timers come from CreateTimer().
    BaudNodeSearch();
    ~BaudNodeSearch();
    BaudNodeSearch(const BaudNodeSearch&) = delete;
    BaudNodeSearch& operator=(const BaudNodeSearch&) = delete;

    // Null: reports go nowhere. The caller keeps ownership.
    void SetReportPort(SearchReportPort* port);

    // Start operations. A start replaces whatever search was running (without reporting the
    // end of the replaced one).
    void StartBaudSearch();
    void StartNodeSearch();
    // False when the channel could not be reopened (nothing runs then).
    bool StartGuardedNodeSearch();
    // "btnBreak" / the window closed: stops all three timers. A running search ends as not
    // found (its flag stays 0) and reports its end.
    void Close();

    // Timer handlers (public so the window and tests can drive a tick by hand).
    void timBaudSearchTimer();
    void timNodeSearchTimer();
    void timNodeSearchGuardTimer();

    // State, as the waiting script commands and the connect sequence read it.
    int Found() const { return found_; }
    bool BaudSearchActive() const { return timBaudSearch->IsActive(); }
    bool NodeSearchActive() const { return timNodeSearch->IsActive(); }
    bool GuardSearchActive() const { return timNodeSearchGuard->IsActive(); }
    bool Running() const { return BaudSearchActive() || NodeSearchActive() || GuardSearchActive(); }
    Kind LastKind() const { return kind_; }
    int Phase() const { return phase_; }
    int BitRateIndex() const { return index_; }
    int FoundBitRateIndex() const { return foundIndex_; }
    int Candidate() const { return candidate_; }
    int FoundNodeId() const { return foundNode_; }
    // The last outcome text ("Baud rate found", "Node not found", ...); empty while running.
    const std::string& StatusText() const { return statusText_; }

    std::unique_ptr<TimerPort> timBaudSearch;
    std::unique_ptr<TimerPort> timNodeSearch;
    std::unique_ptr<TimerPort> timNodeSearchGuard;

private:
    void StopTimers();
    // Stops the timers; a bit-rate search cut short gets its previous rate back.
    void Interrupt();
    void SendSearchFrame(uint8_t specifier, uint8_t nodeId);
    void Report(const std::string& text, StatusColor color);
    void Ended();

    SearchReportPort* port_ = nullptr;
    Kind kind_ = Kind::None;
    int phase_ = 0;
    int index_ = 0;
    int64_t savedBaudr_ = -1;
    int foundIndex_ = -1;
    int candidate_ = 1;
    int foundNode_ = -1;
    int found_ = 0;
    bool running_ = false;
    std::string statusText_;
    tagOPEN_Message send_;
    tagOPEN_Message receive_;
};

// Whether a received identifier announces a node, and which: boot-up 0x701..0x77F gives
// id - 0x700, emergency 0x081..0x0FF gives id - 0x80; anything else gives 0 (not a node).
int NodeIdFromAnnouncement(uint32_t id);

// The search the station's windows and the script commands share; null until a program
// installs one. The caller keeps ownership.
BaudNodeSearch* CurrentSearch();
void SetCurrentSearch(BaudNodeSearch* search);
