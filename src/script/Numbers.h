#pragma once
// Number parsing of test-file values and the bit-rate table.

#include <cstdint>
#include <string_view>

// Reads a number. Auto base: a text beginning with "0x" (or "0X") or with a letter A-F/a-f is
// hexadecimal, anything else signed decimal. Reading stops at the first character that does not
// fit; at least one digit is needed. Width 1 allows values up to 255 and width 2 up to 65535
// (signed comparisons: a negative value passes and is cut to the width); width 4 takes the value
// as it is (cut to 32 bits). Values saturate at 0xFFFFFFFF and at -0x80000000.
bool ParseNumber(std::string_view text, uint32_t& value, int width);
// The same with a fixed base, 10 or 16.
bool ParseNumberBase(std::string_view text, uint32_t& value, int width, int base);

// Reads an integer: hexadecimal when the text contains "x" (an optional "0x" prefix), else
// decimal. True only when the number and nothing but blanks around it was read:
// "0x1A" gives 26, "12abc" fails.
bool ReadInteger(std::string_view text, int32_t& value);

// kbit/s -> bit-timing index (1000 -> 0 ... 10 -> 8); -1 when the rate is not in the table.
int BitRateToIndex(int64_t kbit);
// Bit-timing index -> kbit/s; -1 when the index is not in the table.
int IndexToBitRate(int64_t index);
