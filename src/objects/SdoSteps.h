#pragma once
// The SDO and NMT frames of the object tools, and the reading of their answers: upload and
// expedited download requests to the node under test (NodeId), expedited answer values, and
// the collection of a segmented upload.

#include <cstdint>
#include <string>

#include "CanMessage.h"

// The node under test: the script variable NodeId.
uint8_t ObjectNodeId();
// Upload request 0x40 for index/subindex.
tagOPEN_Message SdoUploadRequestFrame(uint16_t index, uint8_t subindex);
// Expedited download: command ((4 - length) x 4) OR 0x23, the value little-endian.
// `length` must be 1..4.
tagOPEN_Message SdoExpeditedDownloadFrame(uint16_t index, uint8_t subindex, uint32_t value, int length);
// Abort of a transfer with `code`.
tagOPEN_Message SdoAbortFrame(uint16_t index, uint8_t subindex, uint32_t code);
// NMT pre-operational (0x80) to the node under test.
tagOPEN_Message NmtPreOperationalFrame();

// Index and subindex an initiate or abort answer is about.
bool AnswerIsAbout(const tagOPEN_Message& answer, uint16_t index, uint8_t subindex);
// The bytes an expedited upload answer carries: 4 when the size bit is clear, else
// 4 - ((byte 0 >> 2) AND 3).
int ExpeditedLength(uint8_t byte0);
uint32_t ExpeditedValue(const tagOPEN_Message& answer);
// Bytes 4..7 little-endian (announced size, abort code).
uint32_t AnswerDword(const tagOPEN_Message& answer);
// Reads an interval from a script variable; `fallback` when it is missing or not 1..60000 ms.
int IntervalFromVariable(const char* name, int fallback);

// A segmented upload in progress. The text keeps at most `kept` bytes (longer values are cut);
// the byte count goes on.
class SegmentedRead {
public:
    static constexpr uint32_t kMaxBytes = 65536;
    enum class Step { More, Done, ToggleError, TooLong };

    explicit SegmentedRead(size_t kept) : kept_(kept) {}
    // Starts from the initiate answer (0x40/0x41); returns the first segment request.
    tagOPEN_Message Begin(const tagOPEN_Message& initiate);
    // Takes a segment answer; on More, `next` is the next segment request.
    Step Take(const tagOPEN_Message& segment, tagOPEN_Message& next);
    bool Active() const { return active_; }
    void End() { active_ = false; }
    uint32_t Announced() const { return announced_; }
    uint32_t Received() const { return received_; }
    const std::string& Text() const { return text_; }
    uint16_t Index() const { return index_; }
    uint8_t Subindex() const { return sub_; }

private:
    tagOPEN_Message Request() const;
    size_t kept_;
    bool active_ = false;
    bool toggle_ = false;
    uint32_t announced_ = 0;
    uint32_t received_ = 0;
    std::string text_;
    uint16_t index_ = 0;
    uint8_t sub_ = 0;
};
