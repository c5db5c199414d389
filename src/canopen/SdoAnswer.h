#pragma once
// Receiving and showing the answers of the SDO server, and the judgements the three SDO
// commands share.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "CanMessage.h"
#include "ProtocolLine.h"
#include "SdoTransfer.h"
#include "TestInstruction.h"

// The answer to the last request. With the script variable ActivatedWaitForSdoId at 1 or more
// (as a signed number) it waits up to Timer ms for a frame on 0x580 + NodeId; otherwise it
// takes the frames received since the last read and returns the last one. False: no frame.
bool ReceiveSdoAnswer(tagOPEN_Message& answer);

// How a command's continuation treats what precedes the judgement of an answer.
struct SdoStepRules {
    void (*sendSegment)(ProtocolLine& line);  // what next action SendSegment sends
    bool noneExcusesSilence;                 // "None": a missing answer is no error
    bool anyAcceptsAll;                      // "Any": every answer is taken unseen
};

// The beginning every continuation shares. It starts a fresh row; with `next` at Abort or
// SendSegment it sends that frame (the abort ends the transfer). Otherwise it receives the
// answer: a missing one ("keine Antwort"), one taken by "Any" and one on another identifier
// ("falscher Identifier") fill the row and ask for the abort. In all these cases the step's
// result is returned; nullopt leaves `answer` to be judged, its row begun.
std::optional<bool> BeginSdoStep(const TestInstruction& instruction, const SdoStepRules& rules, SdoNextAction& next,
                                 tagOPEN_Message& answer);

// Starts the row of a received answer: direction "R", the frame's columns, the answer's name
// as row text (empty for a byte 0 that names no answer), status ok.
void BeginSdoAnswerRow(ProtocolLine& line, const tagOPEN_Message& answer);
// The answer's index and subindex ("%x") into the extra text fields.
void ShowSdoMultiplexer(ProtocolLine& line, const tagOPEN_Message& answer);
// True when the answer names the transfer's object; otherwise the row text becomes
// "falscher Index" or "falscher Subindex" with "SDO Error".
bool CheckSdoMultiplexer(ProtocolLine& line, const tagOPEN_Message& answer);
// Bytes 4-7 least significant first (the size or the abort code).
uint32_t SdoAnswerValue(const tagOPEN_Message& answer);

// Judges an abort by the device against the expected field: a known code appends "  !" and its
// name; no expectation is "SDO Error", an expectation other than "Error:" + that name is
// "Err Ans". A code the table lacks appends `unknownRemark` with "SDO Error". The code goes
// into the value column ("0x%08x").
void JudgeSdoAbort(ProtocolLine& line, const TestInstruction& instruction, uint32_t code,
                   std::string_view unknownRemark);

// The expected field asks for an abort ("Error:" + name).
bool ExpectsSdoError(const TestInstruction& instruction);
// The ASCII column text of some bytes: as a C string, up to the first byte 0.
std::string SdoAsciiText(std::span<const uint8_t> bytes);
