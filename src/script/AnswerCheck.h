#pragma once
// Checking a received frame against an instruction's expected answer.

#include <cstdint>
#include <string_view>

#include "CanMessage.h"
#include "TestInstruction.h"

// Answer-check results.
enum : uint32_t {
    ANSWER_MATCH = 0,
    ANSWER_WRONG_ID = 0x1000,
    ANSWER_WRONG_LENGTH = 0x2000,
    ANSWER_WRONG_DATA = 0x3000,
    ANSWER_SYNTAX = 0x4000,  // = EXPR_SYNTAX: the expected answer does not parse
    ANSWER_NONE = 0x5000,    // the expected answer is "None"
};

// Don't-care mask of an expected answer: bits 0..7 data bytes, plus these.
enum : uint32_t {
    ANSWER_MASK_DATA = 0xFF,
    ANSWER_MASK_ID = 0x100,
    ANSWER_MASK_LENGTH = 0x200,
    ANSWER_MASK_NO_DATA = 0x400,  // data not compared at all
};

// "None" gives ANSWER_NONE; otherwise the expected answer is parsed and compared.
uint32_t CheckAnswer(const TestInstruction& instruction, const tagOPEN_Message& received);
// Parses expectedId, expectedLen and expectedData into `expected` and `mask`. An "&" data field
// captures the received data into a variable instead (see CaptureAnswer) and ignores the data.
uint32_t ParseExpectedAnswer(const TestInstruction& instruction, tagOPEN_Message& expected,
                             const tagOPEN_Message& received, uint32_t& mask);
// Identifier, then length, then the data bytes not masked (all eight, whatever the length).
uint32_t CompareAnswer(const tagOPEN_Message& received, const tagOPEN_Message& expected, uint32_t mask);
// Template 'Name:' + one entry 'Y' digit ':' letter per received byte: letter "I" places the
// byte at byte position digit (0..7) of a 64-bit value; "X" digits, digits 8 and 9 and "M"
// letters contribute nothing. The variable Name receives the value. EXPR_SYNTAX on a malformed
// template (entries too short or with other characters, no name).
uint32_t CaptureAnswer(std::string_view templ, const tagOPEN_Message& received);
// Turns a check result into the current protocol line's remark and status.
void ReportCheck(uint32_t code);
