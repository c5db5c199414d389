#pragma once
// Small text helpers shared by the command parsers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Removes every blank and TAB in place; returns the new length.
size_t RemoveBlanks(std::string& text);
// Turns each two-character sequence backslash + "0" into one byte 0x00, in place; returns the
// resulting byte count (SDO download strings).
size_t ExpandEscapedZeros(std::string& text);
// An upper-case copy (ASCII letters only; other bytes unchanged).
std::string UpperCase(std::string_view text);
// The text from position `pos` on; empty when the text is shorter ("from the sixth character
// on" of a short parameter is empty, never out of range).
std::string_view TextFrom(std::string_view text, size_t pos);
// The value of a 'tag:value' parameter: the text behind the first ":", empty without one.
std::string_view ParamValue(std::string_view param);
// `text` cut to at most `maxChars` bytes.
std::string CutText(std::string_view text, size_t maxChars);
