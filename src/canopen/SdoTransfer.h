#pragma once
// The state of the one SDO transfer in progress, and the frames the client sends on its own
// between the answers: the abort request, the upload segment request and download segments.

#include <array>
#include <cstddef>
#include <cstdint>

#include "CanMessage.h"
#include "ProtocolLine.h"

// Capacity of the upload and the download buffer.
inline constexpr size_t kSdoBufferBytes = 4096;

// What a command's continuation does on its next call.
enum class SdoNextAction : uint8_t {
    Judge = 0,        // judge the next answer
    Abort = 1,        // send an abort request and finish
    SendSegment = 2,  // send the next segment or segment request
};

struct SdoTransfer {
    tagOPEN_Message request;  // the request as last sent
    // The object of the transfer, from its initiate request; every answer must name it.
    uint16_t index = 0;
    uint8_t sub = 0;

    std::array<uint8_t, kSdoBufferBytes> upload{};
    size_t uploadCount = 0;
    uint32_t announcedSize = 0;  // size indicated by the device; 0 = not indicated
    uint8_t toggle = 0;          // the toggle bit expected next, 0 or 1

    std::array<uint8_t, kSdoBufferBytes> download{};
    size_t downloadLength = 0;
    size_t downloadPosition = 0;
    size_t segmentBytes = 0;  // bytes of the download segment last sent

    SdoNextAction uploadNext = SdoNextAction::Judge;
    SdoNextAction expeditedNext = SdoNextAction::Judge;
    SdoNextAction downloadNext = SdoNextAction::Judge;
};

SdoTransfer& CurrentSdoTransfer();
// Forgets any transfer in progress.
void ResetSdoTransfer();

// Ends the command's continuation; the step is complete (true).
bool FinishSdoStep();
// Leaves the row as it is and asks for the abort on the immediate second call (false).
bool AbortOnNextCall(SdoNextAction& next);

// Sends an initiate request as a "T" row and makes it the transfer's object.
void SendSdoInitiate(ProtocolLine& line, tagOPEN_Message& request);
// Sends the abort request (80 00 00 00 00 00 00 00), row text "    SDO_Abort".
void SendSdoAbort(ProtocolLine& line);
// Sends the upload segment request with the expected toggle bit, row text "    SDO_UpSeg".
void SendUploadSegmentRequest(ProtocolLine& line);
// Sends the next at most 7 bytes of the download data, row text "    SDO_DownSegment" (with
// "_Last" for the last segment); the segment's bytes go into the ASCII column.
void SendDownloadSegment(ProtocolLine& line);
