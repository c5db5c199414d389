#pragma once
// Frames of the NMT, miscellaneous and LSS commands: building, sending and reading them, and
// showing them in the protocol row.

#include <array>
#include <cstdint>
#include <string>

#include "CanMessage.h"
#include "ProtocolLine.h"
#include "TestInstruction.h"

// Highest standard (11-bit) identifier.
inline constexpr uint32_t kMaxStandardId = 0x7FF;

// One unsigned value through a printf format ("0x%02x", "%03x").
std::string FormatValue(const char* format, uint32_t value);

tagOPEN_Message MakeDataFrame(uint32_t id, uint32_t dlc, const std::array<uint8_t, 8>& data = {});
// A remote frame always goes out with DLC 0.
tagOPEN_Message MakeRemoteFrame(uint32_t id);

// Identifier, DLC and data columns of `msg`; a length above 8 is shown as 8.
void ShowFrame(ProtocolLine& line, const tagOPEN_Message& msg);
// Shows `msg` as a sent row ("T") and sends it; false when the channel refused it.
bool SendAndShow(ProtocolLine& line, tagOPEN_Message& msg);
// Reads what arrived since the last read; true with the last frame in `msg` (several frames:
// the last one is judged). The length of the frame is cut to 8.
bool ReadLastAnswer(tagOPEN_Message& msg);

// The expected-identifier field says no answer may come.
bool ExpectsNone(const TestInstruction& instruction);
// The expected-identifier field accepts any answer (LSS).
bool ExpectsAny(const TestInstruction& instruction);
