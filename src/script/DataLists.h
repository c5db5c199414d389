#pragma once
// Data lists of message parameters and expected answers, and building a frame from parameters.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "CanMessage.h"
#include "TestInstruction.h"

// Parses a data list into `data`. Two forms:
//  - single value 'tag:expression': bytes 0..3 the value, lowest byte first (two's complement
//    for negative values), bytes 4..7 zero; an empty expression leaves `data` unchanged and sets
//    all eight bits of `emptyBytes`;
//  - byte list 'tag:Y0:e0Y1:e1...Y7:e7': each slot runs from a ":" to the next "Y"; an empty
//    slot leaves its byte unchanged and sets its bit in `emptyBytes`; fewer than eight slots is
//    EXPR_SYNTAX.
// A text without ":" is EXPR_SYNTAX. Returns EXPR_OK or EXPR_SYNTAX.
uint32_t ParseDataList(std::string_view text, std::array<uint8_t, 8>& data, uint8_t& emptyBytes);

// Fills `msg` from param1 (identifier; empty keeps it), param2 (length; empty is 0) and param3
// (a data list). An identifier above 0x7FF or a length above 8 is EXPR_SYNTAX, as is any
// syntax error of the three; `msg` may then be partly filled and must not be sent.
uint32_t BuildMessageFromParams(const TestInstruction& instruction, tagOPEN_Message& msg);

// Spreads the 32-bit value of `valueText` (an expression) over a byte layout such as
// 'Y0:IY1:IY2:IY3:IY4:Y5:Y6:Y7:': the result is the value's tag and ":" followed by the layout
// with each "I" replaced by "0x%02x" of byte k (k counting the I and M letters from 0, lowest
// byte first) and each "M" by byte m-1-k (m the number of letters), byte positions modulo 4.
// The result (at most 80 characters) replaces `valueText`. Returns EXPR_OK or the expression's
// error (then `valueText` is unchanged).
uint32_t ExpandByteLayout(std::string& valueText, std::string_view layout);
