#pragma once
// Line and field splitting of the station's text files.

#include <string>
#include <string_view>
#include <vector>

// Splits a file's bytes into lines. A line ends at CR LF, at LF, or at a CR on its own; a last
// line without an end counts too. Lines are cut to 255 characters and at a NUL byte.
std::vector<std::string> SplitLines(std::string_view text);

// Finds the first line containing `key` (case-sensitive) and returns in `value` the rest of that
// line behind the key, up to the first TAB (a comment), with every blank dropped:
// 'Baudrate: 500 kBit' gives '500kBit'. False (and `value` untouched) when no line has the key.
bool FindKeyValue(const std::vector<std::string>& lines, std::string_view key, std::string& value);
// The same, comparing the key without regard to case.
bool FindKeyValueNoCase(const std::vector<std::string>& lines, std::string_view key, std::string& value);

// The index-th field of `line`, fields separated by `separator` (test files: ","). Every
// separator counts when the field's start is sought, inside quotes too. The field then runs to
// the next separator outside double quotes or to ";" (a comment, even inside quotes); quotes are
// kept, blanks are kept only inside quotes, TABs are dropped. At most 255 characters.
std::string GetField(std::string_view line, char separator, int index);
