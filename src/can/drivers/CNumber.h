#pragma once
// Numbers written in C notation in the configuration: "0x" hexadecimal, a leading "0" octal,
// otherwise decimal.

#include <cstdint>
#include <optional>
#include <string_view>

// The value of `text` (surrounding blanks allowed), or nullopt when it is empty, has other
// characters, is negative or exceeds 32 bits.
std::optional<uint32_t> ParseCNumber(std::string_view text);
