#include "TraceLogic.h"


#include "CanChannel.h"
#include "CanopenDecode.h"
#include "Configuration.h"
#include "TraceFiles.h"
#include "NamedValueList.h"
#include "TimeSource.h"
#include "TraceTexts.h"

namespace {
constexpr const char* kActive = "TRACE active";
constexpr const char* kStopped = "TRACE stopped";
constexpr const char* kSendCaption = "SEND";

}  // namespace

TraceLogic::TraceLogic(OperatorPort& op)
    : op_(op), timer1_(CreateTimer()), sendTimer_(CreateTimer()), status_(kStopped) {
    timer1_->SetHandler([this] { Timer1Timer(); });
    sendTimer_->SetHandler([this] { timSendTimTimer(); });
}

TraceLogic::~TraceLogic() {
    recorder_.Stop();
    timer1_->Stop();
    sendTimer_->Stop();
    tap_.Detach();
}

void TraceLogic::Changed() {
    if (listener_) listener_();
}

std::string TraceLogic::TimeTextAt(uint64_t timeUs) {
    return TraceTimeText(timeUs > referenceUs_ ? timeUs - referenceUs_ : 0);
}

std::string TraceLogic::TimeTextNow() { return TimeTextAt(CurrentTimeSource().NowUs()); }

void TraceLogic::Activate() {
    Configuration& config = AppConfiguration();
    controls.cycTime = config.Value("[TRACE_ZYKLUSZEIT]");
    controls.send = FieldsFromConfig(config.Value("[TRACE_SENDEN]"));
    controls.remote = config.Value("[TRACE_REMOTE_SENDEN]") == "ja";
    controls.cyclic = config.Value("[TRACE_ZYKLUS]") == "ja";
}

void TraceLogic::Close() {
    timer1_->Stop();
    sendTimer_->Stop();
    Configuration& config = AppConfiguration();
    config.SetValue("[TRACE_ZYKLUSZEIT]", controls.cycTime);
    config.SetValue("[TRACE_ZYKLUS]", YesNo(controls.cyclic));
    config.SetValue("[TRACE_SENDEN]", FieldsToConfig(controls.send));
    config.SetValue("[TRACE_REMOTE_SENDEN]", YesNo(controls.remote));
    CanClose();
    tap_.Detach();
    StopRecording();
    status_ = kStopped;
    Changed();
}

bool TraceLogic::BuildSendFrame() {
    if (auto error = BuildFrameFromFields(controls.send, sendMsg_)) {
        op_.ShowMessage(*error, kSendCaption);
        return false;
    }
    sendMsg_.rtr = controls.remote;
    return true;
}

bool TraceLogic::CheckCycleAndBuild() {
    int64_t period = 0;
    if (!ParseDecimalField(controls.cycTime, period) || period < 5 || period > 0x7FFFFFFF) {
        op_.ShowMessage("wrong timer time", kSendCaption);
        return false;
    }
    if (!BuildSendFrame()) return false;
    sendLine_ = TraceSendLine(TimeTextNow(), sendMsg_);
    sendTimer_->Start(static_cast<int>(period));
    return true;
}

void TraceLogic::btnStopClick() {
    timer1_->Stop();
    sendTimer_->Stop();
    CanClose();
    tap_.Detach();
    tap_.Discard();
    status_ = kStopped;
    Changed();
}

void TraceLogic::btnStartClick() {
    btnStopClick();
    referenceUs_ = CurrentTimeSource().NowUs();
    CanOpen();
    fixPos_ = controls.fixPos;
    if (controls.cyclic && !CheckCycleAndBuild()) return;
    tap_.Attach();
    timer1_->Start(kReceiveTickMs);
    number_ = 0;
    list_.Clear();
    status_ = kActive;
    Changed();
}

void TraceLogic::btnWeiterClick() {
    CanOpen();
    if (controls.cyclic && !CheckCycleAndBuild()) return;
    status_ = kActive;
    tap_.Attach();
    timer1_->Start(kReceiveTickMs);
    Changed();
}

bool TraceLogic::NextFrame(TappedFrame& out) {
    if (tap_.Pop(out)) return true;
    if (shared_ && shared_()) return false;
    tagOPEN_Message msg;
    if (CanReadOne(&msg) != CAN_RESULT_ONE) return false;
    if (tap_.Pop(out)) return true;
    out.msg = msg;  // the tap was full: show the frame all the same
    out.timeUs = CurrentTimeSource().NowUs();
    return true;
}

void TraceLogic::ShowFrame(const TappedFrame& f, int& linesThisTick, bool& cut) {
    const std::string time = TimeTextAt(f.timeUs);
    if (controls.deltaTime) referenceUs_ = f.timeUs;
    const bool sent = f.msg.direction == CAN_DIR_TX;
    std::string service = DecodeCanopenFrame(f.msg);
    if (fixPos_) {
        if (sent) {
            list_.Put("T  " + TraceKey(f.msg.id, f.msg.dlc), TraceSendLine(time, f.msg), std::move(service));
        } else {
            list_.Put(TraceKey(f.msg.id, f.msg.dlc), TraceReceiveLine(time, number_, f.msg), std::move(service));
            ++number_;
        }
        return;
    }
    if (list_.Size() > kClearAbove) list_.Clear();
    std::string line = sent ? TraceSendLine(time, f.msg) : TraceReceiveLine(time, number_, f.msg);
    if (!sent) ++number_;
    if (++linesThisTick == kLinesPerTick) {
        line += "  @";
        cut = true;
    }
    list_.Add(std::move(line), std::move(service));
}

void TraceLogic::DiscardQueued() {
    discarded_ += tap_.Discard();
    if (shared_ && shared_()) return;
    // Whatever is still queued at the driver passes the channel (and so any recording) and goes.
    // Bounded, so a saturated bus cannot hold the tick.
    for (int round = 0; round < 64; ++round) {
        tagOPEN_Message msg;
        const uint32_t result = CanRead(&msg);
        discarded_ += tap_.Discard();
        if (result != CAN_RESULT_ONE && result != CAN_RESULT_SEVERAL) break;
    }
}

void TraceLogic::Timer1Timer() {
    int linesThisTick = 0;
    bool cut = false;
    TappedFrame f;
    for (int handled = 0; handled < kFramesPerTick && NextFrame(f); ++handled) {
        ShowFrame(f, linesThisTick, cut);
        if (cut) {
            DiscardQueued();
            break;
        }
    }
    Changed();
}

void TraceLogic::timSendTimTimer() {
    sendMsg_.rtr = controls.remote;
    if (fixPos_)
        list_.Put("send  " + sendLine_, sendLine_, DecodeCanopenFrame(sendMsg_));
    else
        list_.Add(sendLine_, DecodeCanopenFrame(sendMsg_));
    {
        ChannelTap::OwnWrite own;
        CanWrite(&sendMsg_);
    }
    Changed();
}

void TraceLogic::btnSendClick() {
    if (!CanActive) return;
    if (!BuildSendFrame()) return;
    sendLine_ = TraceSendLine(TimeTextNow(), sendMsg_);
    list_.Add(sendLine_, DecodeCanopenFrame(sendMsg_));
    {
        ChannelTap::OwnWrite own;
        CanWrite(&sendMsg_);
    }
    Changed();
}

void TraceLogic::SendNmt(uint8_t specifier) {
    if (status_ != kActive) return;
    const uint8_t node = static_cast<uint8_t>(ScriptVariables().Get("NodeId"));
    tagOPEN_Message nmt;
    nmt.id = 0;
    nmt.dlc = 2;
    nmt.data[0] = specifier;
    nmt.data[1] = node;
    list_.Add(TraceNmtLine(TimeTextNow(), specifier, node), DecodeCanopenFrame(nmt));
    {
        ChannelTap::OwnWrite own;
        CanWrite(&nmt);
    }
    Changed();
}

void TraceLogic::btnOperateClick() { SendNmt(0x01); }
void TraceLogic::btnPreOpClick() { SendNmt(0x80); }

void TraceLogic::CAN_StatusBClick() {
    if (!CanActive) return;
    const uint32_t status = CanGetStatus();
    list_.Add("---");
    list_.Add(std::to_string(static_cast<int32_t>(status)));
    list_.Add("---");
    Changed();
}

void TraceLogic::VersionInfoBClick() {
    if (!CanActive) return;
    std::string text;
    const uint32_t result = CanGetApiVersion(text, 255);
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    list_.Add("---");
    list_.Add(result == 0 ? text : "no driver found");
    list_.Add("---");
    Changed();
}

void TraceLogic::btnRecordClick() {
    if (Recording()) {
        StopRecording();
        return;
    }
    const auto path = op_.ChooseSaveFile("Record trace", TraceFileDialogFilter(), "");
    if (path) StartRecording(*path);
}

bool TraceLogic::StartRecording(const std::string& path) {
    std::string error;
    const bool ok = recorder_.Start(path, error);
    if (!ok) op_.ShowMessage(error, "Trace");
    Changed();
    return ok;
}

void TraceLogic::StopRecording() {
    std::string error;
    if (!recorder_.Recording()) return;
    if (!recorder_.Stop(&error)) op_.ShowMessage(error, "Trace");
    Changed();
}

void TraceLogic::btnLoadClick() {
    const auto path = op_.ChooseOpenFile("Load trace", TraceFileDialogFilter(), "");
    if (path) LoadFile(*path);
}

bool TraceLogic::LoadFile(const std::string& path) {
    std::vector<TraceFileFrame> frames;
    std::string error;
    uint64_t more = 0;
    if (!ReadTraceFile(path, frames, error, kLoadedLinesMax, &more)) {
        op_.ShowMessage(error, "Trace");
        return false;
    }
    btnStopClick();
    list_.Clear();
    number_ = 0;
    fixPos_ = false;
    uint64_t reference = frames.empty() ? 0 : frames.front().unixUs;
    for (const TraceFileFrame& f : frames) {
        tagOPEN_Message msg;
        msg.id = f.id;
        msg.rtr = f.rtr;
        msg.dlc = f.len;
        msg.data = f.data;
        const std::string time = TraceTimeText(f.unixUs > reference ? f.unixUs - reference : 0);
        if (controls.deltaTime) reference = f.unixUs;
        if (f.tx)
            list_.Add(TraceSendLine(time, msg), DecodeCanopenFrame(msg));
        else
            list_.Add(TraceReceiveLine(time, number_++, msg), DecodeCanopenFrame(msg));
    }
    if (more > 0) list_.Add("--- " + std::to_string(more) + " more frames in the file are not shown ---");
    Changed();
    return true;
}
