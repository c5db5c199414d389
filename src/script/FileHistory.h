#pragma once
// The ten-entry file histories (test, programming and EDS files), most recent first.

#include <array>
#include <string>

inline constexpr size_t kHistoryEntries = 10;
inline constexpr size_t kHistoryPathChars = 259;

using FileHistory = std::array<std::string, kHistoryEntries>;

// Puts `path` first. A path already at position k swaps places with entry 0 (the entries in
// between stay); a new path pushes the others down and the last one drops out. Test files are
// compared without regard to case (`ignoreCase`), programming and EDS files exactly.
void AddToHistory(FileHistory& history, const std::string& path, bool ignoreCase);
void ClearHistory(FileHistory& history);
