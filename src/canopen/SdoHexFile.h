#pragma once
// Hex text files: the bytes of an SDO transfer as pairs of hexadecimal digits without
// separators. Test files name them for "File:" comparisons, "FileOut:" captures and downloads.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A hex text file larger than this is not read (far more than any SDO buffer holds).
inline constexpr size_t kMaxHexTextFileBytes = 1 << 20;

// Reads the file's pairs into `bytes`; a pair that is not two hexadecimal digits is skipped.
// False when the file cannot be opened or read whole, or is larger than kMaxHexTextFileBytes.
bool ReadHexTextFile(const std::string& path, std::vector<uint8_t>& bytes);
// Writes `bytes` as upper-case pairs, creating or replacing the file; the old file stays as it
// was unless every byte was written.
bool WriteHexTextFile(const std::string& path, std::span<const uint8_t> bytes);

// The file name of a field such as 'File:"data.hex"': the text after the first double quote
// without its closing quote; empty when the field has no quote.
std::string QuotedFileName(std::string_view field);
// A relative name is taken from the folder of the loaded test file.
std::string TestRelativePath(const std::string& name);
