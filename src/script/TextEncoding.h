#pragma once
// The station's files are 8-bit Windows-1252 text; people see them as UTF-8.

#include <string>
#include <string_view>

// Windows-1252 bytes -> UTF-8. Undefined code points (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD.
std::string Windows1252ToUtf8(std::string_view text);
// The same, but lossless: an undefined byte becomes the control character of the same number
// (U+0081 ...) and NUL becomes U+2400, so Utf8ToWindows1252 gives the bytes back exactly (stored texts).
std::string Windows1252ToUtf8Lossless(std::string_view text);
// UTF-8 -> Windows-1252; characters the code page lacks and malformed sequences become '?'.
std::string Utf8ToWindows1252(std::string_view text);
