#include "FileDialogFilter.h"

#include <vector>

std::string FileDialogFilter(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::string out;
    for (size_t k = 0; k + 1 < parts.size(); k += 2) {
        std::string description = parts[k];
        const std::string& patterns = parts[k + 1];
        // Qt takes the patterns from the last parentheses of the description.
        if (description.empty() || description.find('(') == std::string::npos || description.back() != ')')
            description += " (" + patterns + ")";
        if (!out.empty()) out += ";;";
        out += description;
    }
    if (out.empty()) out = parts.front().empty() ? "All files (*)" : parts.front();
    return out;
}
