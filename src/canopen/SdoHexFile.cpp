#include "SdoHexFile.h"

#include "AtomicFile.h"
#include "FileText.h"
#include "LogFiles.h"
#include "TestInstruction.h"

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsAbsolute(const std::string& path) {
    if (path.empty()) return false;
    if (path[0] == '/' || path[0] == '\\') return true;
    return path.size() >= 2 && path[1] == ':';  // a drive letter
}
}  // namespace

bool ReadHexTextFile(const std::string& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::string text;
    if (ReadFileBytes(path, text, kMaxHexTextFileBytes) != FileReadResult::Ok) return false;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) continue;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

bool WriteHexTextFile(const std::string& path, std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    if (path.empty()) return false;
    AtomicFile file(NativePath(path), false);
    return file.Open() && file.Write(text) && file.Commit();
}

std::string QuotedFileName(std::string_view field) {
    const size_t quote = field.find('"');
    if (quote == std::string_view::npos) return {};
    std::string_view name = field.substr(quote + 1);
    if (!name.empty() && name.back() == '"') name.remove_suffix(1);
    return std::string(name);
}

std::string TestRelativePath(const std::string& name) {
    if (name.empty() || IsAbsolute(name)) return name;
    const std::string& test = CurrentTest().path;
    const size_t cut = test.find_last_of("\\/");
    if (cut == std::string::npos) return name;
    return test.substr(0, cut + 1) + name;
}
