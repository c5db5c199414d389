#pragma once
// The value lookup of quarzel.ini: a bracketed key on a line, its value on the next line.

#include <string>
#include <string_view>

// Finds the first occurrence of `key` anywhere in `text` (case-sensitive, so a key that also
// stands inside an earlier value is found there) and returns the whole line after the key's
// line, up to its CR or LF or the end of the text. False and an empty value when the key is
// missing.
bool FindIniValue(std::string_view text, std::string_view key, std::string& value);
