#pragma once
// The trace window without its widgets: a CAN monitor with a one-frame sender. It lists every
// frame that passes the channel as a text line (scrolling, or one line per identifier and length),
// sends one frame on request or cyclically, sends NMT start / pre-operational, shows the status
// word and the library version, and keeps its send settings in quarzel.ini.
//
// Frames come through a tap on the channel, so the runner and other tools still get theirs;
// while nobody else reads the channel (`SetChannelShared`), the receive tick reads it itself.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ChannelRecorder.h"
#include "ChannelTap.h"
#include "FrameFields.h"
#include "Ports.h"
#include "TraceList.h"

class TraceLogic {
public:
    static constexpr int kReceiveTickMs = 10;
    static constexpr int kFramesPerTick = 1000;
    static constexpr int kLinesPerTick = 201;
    static constexpr size_t kClearAbove = 500;

    explicit TraceLogic(OperatorPort& op);
    ~TraceLogic();
    TraceLogic(const TraceLogic&) = delete;
    TraceLogic& operator=(const TraceLogic&) = delete;

    // The controls' contents; the window writes them before each action and reads them after
    // Activate.
    struct Controls {
        FrameFieldTexts send;  // edId, edDLC, edB0 .. edB7
        bool remote = false;   // cbRemote
        bool cyclic = false;   // cbCyc
        std::string cycTime;   // edCycTim
        bool fixPos = false;   // cbFixPos
        bool deltaTime = false;  // cbDeltaTime
    } controls;

    // True while another part of the station reads the channel (a test runs): the tick then
    // only shows what passes the channel and leaves reading to that part.
    void SetChannelShared(std::function<bool()> shared) { shared_ = std::move(shared); }
    // Called after every handler that changed the list or the status.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

    void Activate();  // reads the four configuration values into the controls
    void Close();     // stops, writes the configuration values back, closes the channel

    void btnStartClick();
    void btnStopClick();
    void btnWeiterClick();
    void btnSendClick();
    void btnOperateClick();
    void btnPreOpClick();
    void CAN_StatusBClick();
    void VersionInfoBClick();
    void Timer1Timer();
    void timSendTimTimer();

    // Recording of the whole bus, independent of the list's limits: a save dialog chooses the
    // file (.log candump, .trc PEAK 2.1, .asc Vector); pressed again, the recording stops.
    void btnRecordClick();
    bool StartRecording(const std::string& path);
    void StopRecording();
    bool Recording() const { return recorder_.Recording(); }
    uint64_t RecordedFrames() const { return recorder_.Frames(); }
    // Shows the frames of a trace file in the list (the trace stops first).
    void btnLoadClick();
    bool LoadFile(const std::string& path);
    static constexpr size_t kLoadedLinesMax = 100000;

    const TraceList& List() const { return list_; }
    const std::string& StatusText() const { return status_; }  // stbStatus
    TimerPort& Timer1() { return *timer1_; }
    TimerPort& SendTimer() { return *sendTimer_; }
    int32_t FrameNumber() const { return number_; }
    // Frames the receive tick discarded after its 201st line (counted, never shown).
    uint64_t DiscardedFrames() const { return discarded_; }
    // Frames lost before the window saw them (tap queue full).
    uint64_t LostFrames() const { return tap_.Overflows(); }

private:
    std::string TimeTextNow();
    std::string TimeTextAt(uint64_t timeUs);
    bool CheckCycleAndBuild();  // Start/Continue item 3
    bool BuildSendFrame();
    bool NextFrame(TappedFrame& out);
    void ShowFrame(const TappedFrame& f, int& linesThisTick, bool& cut);
    void DiscardQueued();
    void SendNmt(uint8_t specifier);
    void Changed();

    OperatorPort& op_;
    std::unique_ptr<TimerPort> timer1_;
    std::unique_ptr<TimerPort> sendTimer_;
    ChannelTap tap_;
    ChannelRecorder recorder_;
    TraceList list_;
    std::function<bool()> shared_;
    std::function<void()> listener_;
    tagOPEN_Message sendMsg_;
    std::string sendLine_;
    std::string status_;
    uint64_t referenceUs_ = 0;
    int32_t number_ = 0;
    bool fixPos_ = false;
    uint64_t discarded_ = 0;
};
