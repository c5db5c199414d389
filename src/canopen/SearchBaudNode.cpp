#include "SearchBaudNode.h"

#include <algorithm>
#include <cstdio>

#include "CanChannel.h"
#include "CanSettings.h"
#include "MiscFrames.h"
#include "NamedValueList.h"

namespace {

BaudNodeSearch* g_search = nullptr;

// At most this many frames are looked at in one judging tick; a flooded queue is bounded by
// the driver anyway, this keeps a tick short.
constexpr int kMaxFramesJudged = 4096;

// The interval a script variable gives (ms), or `fallback` when it is missing or unusable.
int IntervalFromVariable(const char* name, int fallback) {
    uint32_t value = 0;
    if (!ScriptVariables().Lookup(name, value)) return fallback;
    const auto ms = static_cast<int32_t>(value);
    if (ms < 1 || ms > 600'000) return fallback;
    return ms;
}

// The highest index of the bit-rate table: the table ends at the first non-positive rate.
int LastBitRateIndex() {
    int index = 0;
    while (CanIndexToBitRate(index + 1) > 0) ++index;
    return index;
}

bool ReopenChannel() {
    CanClose();
    return CanOpen();
}

}  // namespace

int NodeIdFromAnnouncement(uint32_t id) {
    if (id >= 0x701 && id <= 0x77F) return static_cast<int>(id - 0x700);
    if (id >= 0x081 && id <= 0x0FF) return static_cast<int>(id - 0x080);
    return 0;
}

BaudNodeSearch* CurrentSearch() { return g_search; }
void SetCurrentSearch(BaudNodeSearch* search) { g_search = search; }

BaudNodeSearch::BaudNodeSearch()
    : timBaudSearch(CreateTimer()), timNodeSearch(CreateTimer()), timNodeSearchGuard(CreateTimer()) {
    timBaudSearch->SetHandler([this] { timBaudSearchTimer(); });
    timNodeSearch->SetHandler([this] { timNodeSearchTimer(); });
    timNodeSearchGuard->SetHandler([this] { timNodeSearchGuardTimer(); });
}

BaudNodeSearch::~BaudNodeSearch() {
    StopTimers();
    if (g_search == this) g_search = nullptr;
}

void BaudNodeSearch::SetReportPort(SearchReportPort* port) { port_ = port; }

void BaudNodeSearch::StopTimers() {
    timBaudSearch->Stop();
    timNodeSearch->Stop();
    timNodeSearchGuard->Stop();
}

void BaudNodeSearch::StartBaudSearch() {
    Interrupt();
    kind_ = Kind::BitRate;
    index_ = LastBitRateIndex();
    phase_ = 0;
    const auto baudr = ScriptVariables().Find("Baudr");
    savedBaudr_ = baudr ? static_cast<int64_t>(*baudr) : -1;
    found_ = 0;
    statusText_.clear();
    running_ = true;
    timBaudSearch->Start(kInitialIntervalMs);
}

void BaudNodeSearch::StartNodeSearch() {
    Interrupt();
    kind_ = Kind::Node;
    phase_ = 0;
    found_ = 0;
    foundNode_ = -1;
    statusText_.clear();
    running_ = true;
    timNodeSearch->Start(IntervalFromVariable("Timer", kInitialIntervalMs));
}

bool BaudNodeSearch::StartGuardedNodeSearch() {
    Interrupt();
    kind_ = Kind::GuardedNode;
    phase_ = 0;
    candidate_ = 1;
    found_ = 0;
    foundNode_ = -1;
    statusText_.clear();
    running_ = true;
    if (!ReopenChannel()) {
        Ended();
        return false;
    }
    if (port_) port_->ShowSearchWindow();
    timNodeSearchGuard->Start(IntervalFromVariable("Timer", kInitialIntervalMs));
    return true;
}

void BaudNodeSearch::Interrupt() {
    StopTimers();
    // A bit-rate search cut short leaves the rate it was trying: the previous one comes back.
    if (running_ && kind_ == Kind::BitRate && savedBaudr_ >= 0)
        ScriptVariables().Set("Baudr", static_cast<uint64_t>(savedBaudr_));
}

void BaudNodeSearch::Close() {
    Interrupt();
    if (running_) Ended();
}

void BaudNodeSearch::SendSearchFrame(uint8_t specifier, uint8_t nodeId) {
    send_ = MakeDataFrame(0x000, 2, {specifier, nodeId});
    CanWrite(&send_);
}

void BaudNodeSearch::Report(const std::string& text, StatusColor color) {
    statusText_ = text;
    if (port_) port_->ShowSearchStatus(text, color);
}

void BaudNodeSearch::Ended() {
    running_ = false;
    if (port_) port_->SearchEnded();
}

void BaudNodeSearch::timBaudSearchTimer() {
    timBaudSearch->Stop();
    switch (phase_) {
    case 0:
        if (index_ < 0) {
            if (savedBaudr_ >= 0) ScriptVariables().Set("Baudr", static_cast<uint64_t>(savedBaudr_));
            // The channel was left at the fastest rate tried; closing it keeps the status
            // label from showing a rate nobody chose. The next command reopens it at `Baudr`.
            CanClose();
            Report("Baud rate not found", StatusColor::Red);
            Ended();
            return;
        }
        ScriptVariables().Set("Baudr", static_cast<uint64_t>(index_));
        if (!ReopenChannel()) {
            Ended();
            return;
        }
        phase_ = 1;
        timBaudSearch->Start(kSettleMs);
        return;
    case 1:
        SendSearchFrame(0x01, 0);
        phase_ = 2;
        timBaudSearch->Start(kListenMs);
        return;
    default: {
        receive_ = {};
        const uint32_t rc = CanRead(&receive_);
        if (rc != CAN_RESULT_ONE && rc != CAN_RESULT_SEVERAL) {
            phase_ = 0;
            --index_;
            timBaudSearch->Start(kListenMs);
            return;
        }
        SendSearchFrame(0x80, 0);
        foundIndex_ = index_;
        Report("Baud rate found", StatusColor::Green);
        found_ = 1;
        Ended();
        CanClose();
        return;
    }
    }
}

void BaudNodeSearch::timNodeSearchTimer() {
    timNodeSearch->Stop();
    switch (phase_) {
    case 0:
        if (!ReopenChannel()) {
            Ended();
            return;
        }
        phase_ = 1;
        timNodeSearch->Start(timNodeSearch->IntervalMs());
        return;
    case 1:
        SendSearchFrame(0x81, 0);
        phase_ = 2;
        timNodeSearch->Start(IntervalFromVariable("TimerLong", 2000));
        return;
    default: {
        // Only a boot-up or an emergency frame names a node; the first one that arrived
        // after the reset broadcast is taken, anything else on the bus is passed over.
        int node = 0;
        for (int i = 0; i < kMaxFramesJudged && node == 0; ++i) {
            receive_ = {};
            if (CanReadOne(&receive_) != CAN_RESULT_ONE) break;
            if (!receive_.rtr) node = NodeIdFromAnnouncement(receive_.id);
        }
        if (node == 0) {
            Report("Node not found", StatusColor::Red);
            Ended();
            return;
        }
        CanClose();
        foundNode_ = node;
        Report("Node found", StatusColor::Green);
        ScriptVariables().Set("NodeId", static_cast<uint64_t>(node));
        if (port_) port_->ApplyNodeId(node);
        found_ = 1;
        Ended();
        return;
    }
    }
}

void BaudNodeSearch::timNodeSearchGuardTimer() {
    timNodeSearchGuard->Stop();
    if (phase_ == 0) {
        SendSearchFrame(0x01, static_cast<uint8_t>(candidate_));
        phase_ = 1;
        timNodeSearchGuard->Start(timNodeSearchGuard->IntervalMs());
        return;
    }
    receive_ = {};
    const uint32_t rc = CanRead(&receive_);
    if (rc != CAN_RESULT_ONE && rc != CAN_RESULT_SEVERAL) {
        ++candidate_;
        if (candidate_ <= kCandidateCount) {
            phase_ = 0;
            timNodeSearchGuard->Start(timNodeSearchGuard->IntervalMs());
            if (port_) port_->ShowCandidate(candidate_);
            return;
        }
        Report("Node not found", StatusColor::Red);
        Ended();
        return;
    }
    Report("Node found", StatusColor::Green);
    char question[64];
    std::snprintf(question, sizeof question, "Node found. \n %d \n apply ?", candidate_);
    if (!CurrentOperator().AskYesNo(question, "SUCHEN KNOTEN")) {
        Ended();
        return;
    }
    foundNode_ = candidate_;
    ScriptVariables().Set("NodeId", static_cast<uint64_t>(candidate_));
    if (port_) port_->ApplyNodeId(candidate_);
    found_ = 1;
    Ended();
}
