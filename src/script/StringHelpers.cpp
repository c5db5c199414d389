#include "StringHelpers.h"

#include <algorithm>

size_t RemoveBlanks(std::string& text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }),
               text.end());
    return text.size();
}

size_t ExpandEscapedZeros(std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '0') {
            out.push_back('\0');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    text = std::move(out);
    return text.size();
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string_view TextFrom(std::string_view text, size_t pos) {
    return pos < text.size() ? text.substr(pos) : std::string_view();
}

std::string_view ParamValue(std::string_view param) {
    const size_t colon = param.find(':');
    return colon == std::string_view::npos ? std::string_view() : param.substr(colon + 1);
}

std::string CutText(std::string_view text, size_t maxChars) {
    return std::string(text.substr(0, std::min(text.size(), maxChars)));
}
