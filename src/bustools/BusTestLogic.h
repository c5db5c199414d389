#pragma once
// The bus test without its widgets: sends one frame every cycle time and expects, within the
// answer time, a frame with a given identifier, length, remote flag and data. While the answer
// comes it counts cycles; when it does not, it stops and lists the frames of that answer window.
// The test-generator panel is a TestGeneratorPanel of its own (TestGeneratorPanel.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FrameFields.h"
#include "Ports.h"

class BusTestLogic {
public:
    static constexpr size_t kBufferFrames = 100;

    explicit BusTestLogic(OperatorPort& op);
    ~BusTestLogic();
    BusTestLogic(const BusTestLogic&) = delete;
    BusTestLogic& operator=(const BusTestLogic&) = delete;

    struct Controls {
        FrameFieldTexts send;      // edId, edDLC, edB0 .. edB7
        bool remote = false;       // cbRemote
        FrameFieldTexts expected;  // edIdRec, edDLCRec, edB0Rec .. edB7Rec
        bool remoteRec = false;    // cbRemoteRec
        std::string cycTime;       // edCycTim
        std::string ansTime;       // edAnsTim
    } controls;

    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

    void Activate();  // reads the six configuration values into the controls
    void Close();     // stops, writes them back, closes the channel

    void btnStartClick();
    void btnWeiterClick();
    void btnStopClick();
    void btnOperateClick();
    void btnPreOpClick();
    void timZyklusTimer();
    void timAnsTimer();
    void mnuLadenClick();
    void mnuSpeichernClick();

    bool Running() const;
    const std::vector<std::string>& Lines() const { return lines_; }  // Memo1
    const std::string& StatusText() const { return status_; }         // stbStatus
    std::string CyclesText() const;                                   // edZyklen
    uint32_t Cycles() const { return cycles_; }
    TimerPort& CycleTimer() { return *timZyklus_; }
    TimerPort& AnswerTimer() { return *timAns_; }

private:
    bool CheckAndSet();  // the checks and settings of Start and Continue
    void SendNmt(uint8_t command);
    void ListBuffer();
    void Changed();

    OperatorPort& op_;
    std::unique_ptr<TimerPort> timZyklus_;
    std::unique_ptr<TimerPort> timAns_;
    std::function<void()> listener_;
    tagOPEN_Message sendMsg_;
    ExpectedFrame expected_;
    std::string sendLine_;
    std::vector<tagOPEN_Message> buffer_;
    int marked_ = -1;
    int32_t lineNumber_ = 0;
    uint32_t cycles_ = 0;
    bool cyclesShown_ = false;
    int ansMs_ = 0;
    std::vector<std::string> lines_;
    std::string status_;
};
