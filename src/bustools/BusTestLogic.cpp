#include "BusTestLogic.h"

#include <cstdio>

#include "CanChannel.h"
#include "Configuration.h"
#include "NamedValueList.h"
#include "TraceTexts.h"

namespace {
constexpr const char* kCaption = "Bustest";
constexpr const char* kNotOpen = "CAN channel is not open";
}  // namespace

BusTestLogic::BusTestLogic(OperatorPort& op) : op_(op), timZyklus_(CreateTimer()), timAns_(CreateTimer()) {
    timZyklus_->SetHandler([this] { timZyklusTimer(); });
    timAns_->SetHandler([this] { timAnsTimer(); });
}

BusTestLogic::~BusTestLogic() {
    timZyklus_->Stop();
    timAns_->Stop();
}

void BusTestLogic::Changed() {
    if (listener_) listener_();
}

bool BusTestLogic::Running() const { return timZyklus_->IsActive() || timAns_->IsActive(); }

std::string BusTestLogic::CyclesText() const { return cyclesShown_ ? std::to_string(cycles_) : std::string(); }

void BusTestLogic::Activate() {
    Configuration& c = AppConfiguration();
    controls.cycTime = c.Value("[BUS_ZYKLUSZEIT]");
    controls.ansTime = c.Value("[BUS_ANTWORTZEIT]");
    controls.send = FieldsFromConfig(c.Value("[BUS_SENDEN]"));
    controls.remote = c.Value("[BUS_REMOTE_SENDEN]") == "ja";
    controls.expected = FieldsFromConfig(c.Value("[BUS_EMPFANG]"));
    controls.remoteRec = c.Value("[BUS_REMOTE_EMPFANG]") == "ja";
}

void BusTestLogic::Close() {
    timZyklus_->Stop();
    timAns_->Stop();
    Configuration& c = AppConfiguration();
    c.SetValue("[BUS_ZYKLUSZEIT]", controls.cycTime);
    c.SetValue("[BUS_ANTWORTZEIT]", controls.ansTime);
    c.SetValue("[BUS_SENDEN]", FieldsToConfig(controls.send));
    c.SetValue("[BUS_REMOTE_SENDEN]", YesNo(controls.remote));
    c.SetValue("[BUS_EMPFANG]", FieldsToConfig(controls.expected));
    c.SetValue("[BUS_REMOTE_EMPFANG]", YesNo(controls.remoteRec));
    CanClose();
    status_ = "TRACE stopped";
    Changed();
}

bool BusTestLogic::CheckAndSet() {
    if (!CanActive) {
        op_.ShowMessage(kNotOpen, kCaption);
        return false;
    }
    int64_t cycle = 0;
    if (!ParseDecimalField(controls.cycTime, cycle) || cycle < 5 || cycle > 0x7FFFFFFF) {
        op_.ShowMessage("wrong timer time", "Cycle time");
        return false;
    }
    int64_t answer = 0;
    if (!ParseDecimalField(controls.ansTime, answer) || answer < 5 || answer > cycle) {
        op_.ShowMessage("wrong timer time", "Receive message");
        return false;
    }
    tagOPEN_Message msg;
    if (auto error = BuildFrameFromFields(controls.send, msg)) {
        op_.ShowMessage(*error, "Send message");
        return false;
    }
    msg.rtr = controls.remote;
    ExpectedFrame expected;
    if (auto error = BuildExpectedFromFields(controls.expected, controls.remoteRec, expected)) {
        op_.ShowMessage(*error, "Receive message");
        return false;
    }
    sendMsg_ = msg;
    expected_ = expected;
    sendLine_ = msg.rtr ? "     R  " + TraceKey(msg.id, msg.dlc) : "     T  " + TraceKey(msg.id, msg.dlc) + TraceDataText(msg);
    ansMs_ = static_cast<int>(answer);
    timZyklus_->Stop();
    timAns_->Stop();
    status_ = "BUSTEST active";
    tagOPEN_Message drop;
    CanRead(&drop);
    timZyklus_->Start(static_cast<int>(cycle));
    return true;
}

void BusTestLogic::btnStartClick() {
    // Counters and list are cleared only once every check passed.
    if (!CheckAndSet()) return;
    lineNumber_ = 0;
    cycles_ = 0;
    cyclesShown_ = false;
    lines_.clear();
    Changed();
}

void BusTestLogic::btnWeiterClick() {
    if (CheckAndSet()) Changed();
}

void BusTestLogic::btnStopClick() {
    timZyklus_->Stop();
    timAns_->Stop();
    status_ = "TRACE stopped";
    Changed();
}

void BusTestLogic::timZyklusTimer() {
    tagOPEN_Message drop;
    CanRead(&drop);
    CanWrite(&sendMsg_);
    timAns_->Start(ansMs_);
}

void BusTestLogic::timAnsTimer() {
    timAns_->Stop();
    buffer_.clear();
    marked_ = -1;
    tagOPEN_Message msg;
    bool reading = true;
    while (reading && CanReadOne(&msg) == CAN_RESULT_ONE) {
        // The buffer is checked before every store, whatever the frame's identifier.
        if (buffer_.size() >= kBufferFrames) {
            if (op_.AskYesNo("\xC3\x9C" "berlauf des PufferspeichersTest stoppen?", "ANTWORT")) {
                buffer_.clear();
                marked_ = -1;
            } else {
                break;
            }
        }
        buffer_.push_back(msg);
        if (msg.id != expected_.id) continue;
        ++cycles_;
        cyclesShown_ = true;
        if (expected_.Matches(msg)) {
            Changed();
            return;
        }
        marked_ = static_cast<int>(buffer_.size()) - 1;
    }
    timZyklus_->Stop();
    status_ = "BUSTEST active  Cycle stopped";
    ListBuffer();
    Changed();
}

void BusTestLogic::ListBuffer() {
    char head[64];
    for (size_t i = 0; i < buffer_.size(); ++i) {
        const tagOPEN_Message& m = buffer_[i];
        if (static_cast<int>(i) == marked_)
            std::snprintf(head, sizeof head, "------  ");
        else
            std::snprintf(head, sizeof head, "%6d  ", lineNumber_++);
        std::string line = head + TraceKey(m.id, m.dlc) + TraceDataText(m);
        if (m.rtr) line += " Rem";
        lines_.push_back(std::move(line));
    }
    buffer_.clear();
}

void BusTestLogic::SendNmt(uint8_t command) {
    if (!CanActive) {
        op_.ShowMessage(kNotOpen, kCaption);
        return;
    }
    const uint8_t node = static_cast<uint8_t>(ScriptVariables().Get("NodeId"));
    tagOPEN_Message nmt;
    nmt.dlc = 2;
    nmt.data[0] = command;
    nmt.data[1] = node;
    CanWrite(&nmt);
    char line[64];
    std::snprintf(line, sizeof line, "     T  ID:%03x  LEN:%d  %02x %02x", 0, 2, command, node);
    lines_.push_back(line);
    Changed();
}

void BusTestLogic::btnOperateClick() { SendNmt(0x01); }
void BusTestLogic::btnPreOpClick() { SendNmt(0x80); }

void BusTestLogic::mnuLadenClick() { op_.ShowMessage("Function not implemented", "Error"); }
void BusTestLogic::mnuSpeichernClick() { op_.ShowMessage("Function not implemented", "Error"); }
