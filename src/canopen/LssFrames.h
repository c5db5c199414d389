#pragma once
// LSS master frames: requests on 0x7E5, answers on 0x7E4, eight bytes each.

#include <cstdint>

#include "CanMessage.h"
#include "ProtocolLine.h"

inline constexpr uint32_t kLssRequestId = 0x7E5;
inline constexpr uint32_t kLssAnswerId = 0x7E4;

// Sends specifier + 32-bit value (least significant first) and fills the row as a sent frame:
// value column "0x%04x", shown, result 0.
void SendLssRequest(ProtocolLine& line, uint8_t specifier, uint32_t value);

// Checks an answer of a configuration or inquiry service: identifier, length, specifier and
// the bytes that must be zero (bytes 1 to 4 too when the answer carries no data). Each failure
// appends "  !" and its text and sets "LSS Error". True when the answer passed.
bool CheckLssAnswer(ProtocolLine& line, const tagOPEN_Message& answer, uint8_t specifier, bool carriesData);

// Bytes 1 to 4 of an answer, least significant first.
uint32_t LssAnswerValue(const tagOPEN_Message& answer);

// The remarks of the LSS answers (8-bit texts).
inline constexpr const char* kLssWrongId = "falscher Identifier";
inline constexpr const char* kLssWrongLength = "falsche Datenl\xE4nge";
inline constexpr const char* kLssUnexpected = "unerwartete Antwort";
inline constexpr const char* kLssNoAnswer = "keine Antwort";
