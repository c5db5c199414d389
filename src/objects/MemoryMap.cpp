#include "MemoryMap.h"

#include <cmath>

#include "FileText.h"
#include "Numbers.h"
#include "TextLines.h"

namespace {
constexpr size_t kMaxMemoryFileBytes = 4u * 1024u * 1024u;
constexpr size_t kMaxLineChars = 256;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool BeginsNoCase(const std::string& line, std::string_view prefix) {
    if (line.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(line[i]) != Lower(prefix[i])) return false;
    return true;
}

// The first line at or after `from` and before `to` that begins with `prefix`; -1 when none.
int FindLine(const std::vector<std::string>& lines, std::string_view prefix, int from, int to) {
    for (int i = std::max(from, 0); i < to; ++i)
        if (BeginsNoCase(lines[static_cast<size_t>(i)], prefix)) return i;
    return -1;
}

bool IsEnde(const std::string& line) {
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    return line.compare(0, end, "Ende") == 0 && end == 4;
}

struct Reader {
    const std::vector<std::string>& lines;
    MemoryMapResult result;

    bool Fail(int line, std::string text) {
        result.ok = false;
        result.error = {line + 1, std::move(text)};
        return false;
    }

    bool ReadArea(MemoryAreaKind kind, const char* header, int from, int to) {
        const int at = FindLine(lines, header, from, to);
        if (at < 0) return Fail(from, std::string(header) + " not found in " + MemoryAreaTitle(kind));
        // The area runs to the next area or part header.
        int end = to;
        for (const char* next : {"[KOMMUNIKATION]", "[SENSOR]", "[FLASH]", "[EEPROM]"}) {
            const int n = FindLine(lines, next, at + 1, to);
            if (n >= 0 && n < end) end = n;
        }
        MemoryArea& area = result.map.Area(kind);
        const int start = FindLine(lines, "Start: ", at, end);
        if (start < 0) return Fail(at, std::string("\"Start: \" missing in ") + MemoryAreaTitle(kind));
        std::string value;
        for (char c : lines[static_cast<size_t>(start)].substr(7))
            if (c != ' ' && c != '\t') value.push_back(c);
        if (!ParseNumber(value, area.start, 4))
            return Fail(start, "start address \"" + value + "\" is not a number");
        const int params = FindLine(lines, "[PARAMETER]", at, end);
        if (params < 0) return Fail(at, std::string("[PARAMETER] missing in ") + MemoryAreaTitle(kind));
        uint32_t address = area.start;
        for (int i = params + 1;; ++i) {
            if (i >= static_cast<int>(lines.size()))
                return Fail(params, std::string("\"Ende\" missing in ") + MemoryAreaTitle(kind));
            const std::string& line = lines[static_cast<size_t>(i)];
            if (IsEnde(line)) break;
            if (area.parameters.size() + 1 >= kMaxAreaParameters)
                return Fail(i, std::string("more than 39 parameters (or \"Ende\" missing) in ") +
                                   MemoryAreaTitle(kind));
            const std::vector<std::string> fields = MemoryLineFields(line);
            MemoryParameter p;
            p.address = address;
            p.name = fields.empty() ? std::string() : fields[0].substr(0, kMemoryNameChars);
            p.size = fields.size() > 1 ? MemoryTypeSize(fields[1]) : 0;
            p.line = i + 1;
            if (p.size == 0 && !(fields.size() <= 1 && p.name.empty()))
                result.warnings.push_back({i + 1, "no type long, data, int or char: " + line.substr(0, 60)});
            address += static_cast<uint32_t>(p.size);
            area.totalSize += static_cast<uint32_t>(p.size);
            area.parameters.push_back(std::move(p));
        }
        area.end = area.start + area.totalSize - 1;
        area.blocks = area.totalSize / 8;
        area.blocksRounded = static_cast<uint32_t>(std::lround(area.totalSize * 0.125));
        return true;
    }

    bool ReadPart(const char* header, MemoryAreaKind communication, MemoryAreaKind sensor, const char* other) {
        const int count = static_cast<int>(lines.size());
        const int at = FindLine(lines, header, 0, count);
        if (at < 0) return Fail(-1, std::string(header) + " not found");
        // The part ends where the other part begins, when that comes later.
        const int otherAt = FindLine(lines, other, at + 1, count);
        const int end = otherAt >= 0 ? otherAt : count;
        return ReadArea(communication, "[KOMMUNIKATION]", at, end) && ReadArea(sensor, "[SENSOR]", at, end);
    }
};
}  // namespace

int32_t MemoryTypeSize(const std::string& type) {
    if (type.find("long") != std::string::npos) return 4;
    if (type.find("data") != std::string::npos) return 3;
    if (type.find("int") != std::string::npos) return 2;
    if (type.find("char") != std::string::npos) return 1;
    return 0;
}

std::vector<std::string> MemoryLineFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size() && i < kMaxLineChars; ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            fields.back().push_back(c);
        } else if (c == ';') {
            break;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c != ' ' && c != '\t') {
            fields.back().push_back(c);
        }
    }
    return fields;
}

const char* MemoryAreaTitle(MemoryAreaKind kind) {
    switch (kind) {
        case MemoryAreaKind::FlashCommunication: return "FLASH communication";
        case MemoryAreaKind::FlashSensor: return "FLASH sensor";
        case MemoryAreaKind::EepromCommunication: return "EEPROM communication";
        case MemoryAreaKind::EepromSensor: return "EEPROM sensor";
    }
    return "";
}

MemoryMapResult ReadMemoryMap(const std::vector<std::string>& lines) {
    Reader r{lines, {}};
    r.result.ok = r.ReadPart("[FLASH]", MemoryAreaKind::FlashCommunication, MemoryAreaKind::FlashSensor, "[EEPROM]") &&
                  r.ReadPart("[EEPROM]", MemoryAreaKind::EepromCommunication, MemoryAreaKind::EepromSensor, "[FLASH]");
    return std::move(r.result);
}

MemoryMapResult LoadMemoryMapFile(const std::string& path) {
    std::string bytes;
    const FileReadResult read = ReadFileBytes(path, bytes, kMaxMemoryFileBytes);
    if (read != FileReadResult::Ok) {
        MemoryMapResult r;
        r.error.text = read == FileReadResult::NotFound ? "File not found: " + path : "Error reading " + path;
        return r;
    }
    return ReadMemoryMap(SplitLines(bytes));
}
