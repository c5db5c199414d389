#include "IniFile.h"

bool FindIniValue(std::string_view text, std::string_view key, std::string& value) {
    value.clear();
    const size_t at = key.empty() ? std::string_view::npos : text.find(key);
    if (at == std::string_view::npos) return false;
    const size_t lf = text.find('\n', at + key.size());
    if (lf == std::string_view::npos) return true;  // the key's line is the last: empty value
    const size_t start = lf + 1;
    const size_t end = text.find_first_of("\r\n", start);
    value = std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
    return true;
}
