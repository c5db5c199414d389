#include "SdoTransfer.h"

#include <algorithm>
#include <span>

#include "MiscFrames.h"
#include "ScriptRun.h"
#include "SdoAnswer.h"
#include "SdoRequest.h"

namespace {
void SendRequest(ProtocolLine& line, tagOPEN_Message& msg) {
    SendAndShow(line, msg);
    CurrentSdoTransfer().request = msg;
}
}  // namespace

SdoTransfer& CurrentSdoTransfer() {
    static SdoTransfer transfer;
    return transfer;
}

void ResetSdoTransfer() { CurrentSdoTransfer() = SdoTransfer{}; }

bool FinishSdoStep() {
    CurrentRun().pendingStep = nullptr;
    return true;
}

bool AbortOnNextCall(SdoNextAction& next) {
    next = SdoNextAction::Abort;
    return false;
}

void SendSdoInitiate(ProtocolLine& line, tagOPEN_Message& request) {
    SdoTransfer& t = CurrentSdoTransfer();
    t.index = static_cast<uint16_t>(request.data[1] | (request.data[2] << 8));
    t.sub = request.data[3];
    SendRequest(line, request);
}

void SendSdoAbort(ProtocolLine& line) {
    tagOPEN_Message msg = MakeDataFrame(SdoRequestId(), 8);
    msg.data[0] = 0x80;
    line.commandText = "    SDO_Abort";
    SendRequest(line, msg);
}

void SendUploadSegmentRequest(ProtocolLine& line) {
    tagOPEN_Message msg = MakeDataFrame(SdoRequestId(), 8);
    msg.data[0] = CurrentSdoTransfer().toggle ? 0x70 : 0x60;
    line.commandText = "    SDO_UpSeg";
    SendRequest(line, msg);
}

void SendDownloadSegment(ProtocolLine& line) {
    SdoTransfer& t = CurrentSdoTransfer();
    const size_t position = std::min(t.downloadPosition, t.downloadLength);
    const size_t remaining = t.downloadLength - position;
    const size_t n = std::min<size_t>(remaining, 7);
    tagOPEN_Message msg = MakeDataFrame(SdoRequestId(), 8);
    msg.data[0] = static_cast<uint8_t>(t.toggle << 4);
    std::copy_n(t.download.begin() + static_cast<std::ptrdiff_t>(position), n, msg.data.begin() + 1);
    line.commandText = "    SDO_DownSegment";
    if (remaining <= 7) {
        msg.data[0] |= static_cast<uint8_t>(0x01 | ((7 - n) << 1));
        line.commandText += "_Last";
    }
    line.asciiText = SdoAsciiText(std::span(t.download).subspan(position, n));
    t.segmentBytes = n;
    SendRequest(line, msg);
}
