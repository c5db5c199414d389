#pragma once
// The station's files are 8-bit Windows-1252 text; people see them as UTF-8.

#include <string>
#include <string_view>

// Windows-1252 bytes -> UTF-8. Undefined code points (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD.
std::string Windows1252ToUtf8(std::string_view text);
