#include "TextLines.h"

#include <algorithm>

#include "TestInstruction.h"

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    auto add = [&](size_t end) {
        std::string_view line = text.substr(start, end - start);
        line = line.substr(0, std::min(line.find('\0'), line.size()));
        lines.emplace_back(line.substr(0, std::min(line.size(), kMaxFieldChars)));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            add(i);
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        } else if (text[i] == '\n') {
            add(i);
            start = i + 1;
        }
    }
    if (start < text.size()) add(text.size());
    return lines;
}

namespace {
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

size_t FindNoCase(std::string_view hay, std::string_view needle) {
    auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end(),
                          [](char a, char b) { return Lower(a) == Lower(b); });
    return it == hay.end() ? std::string_view::npos : static_cast<size_t>(it - hay.begin());
}

bool FindKeyValueImpl(const std::vector<std::string>& lines, std::string_view key, std::string& value,
                      bool noCase) {
    if (key.empty()) return false;
    for (const std::string& line : lines) {
        const size_t at = noCase ? FindNoCase(line, key) : line.find(key);
        if (at == std::string::npos) continue;
        // The value starts right behind the key, so an indented line reads the same.
        std::string out;
        for (size_t i = at + key.size(); i < line.size() && line[i] != '\t'; ++i)
            if (line[i] != ' ') out.push_back(line[i]);
        value = std::move(out);
        return true;
    }
    return false;
}
}  // namespace

bool FindKeyValue(const std::vector<std::string>& lines, std::string_view key, std::string& value) {
    return FindKeyValueImpl(lines, key, value, false);
}

bool FindKeyValueNoCase(const std::vector<std::string>& lines, std::string_view key, std::string& value) {
    return FindKeyValueImpl(lines, key, value, true);
}

std::string GetField(std::string_view line, char separator, int index) {
    constexpr size_t kLimit = 256;
    size_t pos = 0;
    for (int found = 0; found < index;) {
        if (pos >= line.size() || pos >= kLimit) return {};
        if (line[pos++] == separator) ++found;
    }
    std::string out;
    bool quoted = false;
    for (size_t n = 0; pos < line.size() && n < kLimit; ++pos, ++n) {
        const char c = line[pos];
        if (c == ';') break;
        if (c == separator && !quoted) break;
        if (c == '"') {
            quoted = !quoted;
            out.push_back(c);
        } else if (c == ' ') {
            if (quoted) out.push_back(c);
        } else if (c != '\t') {
            out.push_back(c);
        }
    }
    if (out.size() > kMaxFieldChars) out.resize(kMaxFieldChars);
    return out;
}
