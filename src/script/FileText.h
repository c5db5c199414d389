#pragma once
// Reading a whole station file (test file, memory file, notice, configuration) as bytes.

#include <cstddef>
#include <string>

enum class FileReadResult {
    Ok,
    NotFound,   // cannot be opened
    ReadError,  // opened, but not read completely
    TooLarge,   // larger than the caller's limit; nothing is read
};

// Reads the file at `path` (either separator) into `out`. `out` is emptied first.
FileReadResult ReadFileBytes(const std::string& path, std::string& out, size_t maxBytes);
