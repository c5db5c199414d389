#include "FileHistory.h"

#include "StringHelpers.h"

void AddToHistory(FileHistory& history, const std::string& pathIn, bool ignoreCase) {
    const std::string path = CutText(pathIn, kHistoryPathChars);
    const std::string key = ignoreCase ? UpperCase(path) : path;
    for (size_t k = 0; k < history.size(); ++k) {
        if ((ignoreCase ? UpperCase(history[k]) : history[k]) == key) {
            history[k] = history[0];
            history[0] = path;
            return;
        }
    }
    for (size_t k = history.size() - 1; k > 0; --k) history[k] = history[k - 1];
    history[0] = path;
}

void ClearHistory(FileHistory& history) {
    for (auto& e : history) e.clear();
}
