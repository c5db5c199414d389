#include "EdsReader.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <unordered_map>

#include "FileText.h"
#include "Numbers.h"
#include "TextEncoding.h"
#include "TextLines.h"

namespace {
constexpr size_t kMaxEdsBytes = 64u * 1024u * 1024u;
constexpr const char* kCaptionLoad = "LoadObjects";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerText(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = Lower(c);
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

// A value as the station reads it: everything behind "=" up to a TAB, every blank dropped.
std::string ValueText(std::string_view rest) {
    std::string out;
    for (char c : rest) {
        if (c == '\t') break;
        if (c != ' ') out.push_back(c);
    }
    return out;
}

// The value of a digit of `base`; -1 for any other character.
int Digit(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d < base ? d : -1;
}

std::optional<uint32_t> HexNumber(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t v = 0;
    for (char c : text) {
        const int d = Digit(c, 16);
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// Valid UTF-8 with at least one byte above 0x7F: the file was written as UTF-8.
bool LooksLikeUtf8(const std::vector<std::string>& lines) {
    bool high = false;
    for (const std::string& line : lines) {
        for (size_t i = 0; i < line.size();) {
            const auto c = static_cast<unsigned char>(line[i]);
            if (c < 0x80) {
                ++i;
                continue;
            }
            high = true;
            size_t n = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
            if (n == 9 || c == 0xC0 || c == 0xC1) return false;
            if (i + n >= line.size()) {
                // A line cut at its length limit may end inside a character.
                if (line.size() >= kEntryNameChars) break;
                return false;
            }
            for (size_t k = 1; k <= n; ++k)
                if ((static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80) return false;
            i += n + 1;
        }
    }
    return high;
}

// A key line inside a section.
struct KeyLine {
    std::string key;    // lower case
    std::string value;  // blanks dropped
    std::string raw;    // as written, trimmed
    int line = 0;       // 0-based
};

// Everything the reader needs of one section, gathered in one pass.
struct Section {
    int line = 0;  // 0-based line of the "[...]" header
    std::vector<KeyLine> keys;
    const KeyLine* Find(std::string_view lowerKey) const {
        for (const KeyLine& k : keys)
            if (k.key == lowerKey) return &k;
        return nullptr;
    }
};

// A sub-index section header of an object ("[1018sub1]"); `sub` empty when its "]" is missing.
struct SubSection {
    int line = 0;
    std::optional<uint32_t> sub;
};

class Reader {
public:
    explicit Reader(const std::vector<std::string>& lines) : lines_(lines) {}

    EdsLoadResult Run();

private:
    void Index();
    const Section* FindSection(const std::string& lowerName, int fromLine) const;
    const Section* ObjectSection(uint32_t index, int fromLine) const;
    const Section* SectionAt(int line) const;
    bool Number(const KeyLine* key, uint32_t& value);
    uint32_t Count(const Section* section, std::string_view key);
    bool LoadList(const Section* list, uint32_t count);
    bool LoadObject(uint32_t index, const Section& object);
    bool LoadSubEntries(uint32_t index, const Section& object, uint32_t count);
    void LoadCompact(uint32_t index, const Section& object, uint32_t count);
    void FillEntry(ObjectEntry& e, const Section& s);
    std::string Name(const std::string& raw) const;
    bool Fail(std::string text, std::string caption, int line);
    void Warn(int line, std::string text) { result_.warnings.push_back({line + 1, std::move(text)}); }
    size_t CapacityFrom(int line) const;

    const std::vector<std::string>& lines_;
    bool utf8_ = false;
    std::vector<Section> sections_;
    std::vector<int> sectionOfLine_;                             // line -> section number or -1
    std::unordered_map<std::string, std::vector<size_t>> byName_;  // lower-case name -> sections
    std::unordered_map<uint32_t, std::vector<size_t>> byIndex_;     // "[1000]" -> sections
    std::unordered_map<uint32_t, std::vector<SubSection>> subs_;    // "[1000subN]" headers
    EdsLoadResult result_;
};

void Reader::Index() {
    sectionOfLine_.assign(lines_.size(), -1);
    int current = -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view t = Trim(lines_[i]);
        if (i == 0 && t.substr(0, 3) == "\xEF\xBB\xBF") t = Trim(t.substr(3));
        if (t.empty() || t.front() == ';' || t.front() == '#') continue;
        const int line = static_cast<int>(i);
        if (t.front() == '[') {
            const size_t close = t.find(']');
            const std::string_view name = t.substr(1, close == std::string_view::npos ? t.npos : close - 1);
            // "[1018sub1]" in any case: a sub-index section of an object.
            const std::string lower = LowerText(name);
            const size_t sub = lower.find("sub");
            if (sub != std::string::npos && sub > 0) {
                if (auto index = HexNumber(std::string_view(lower).substr(0, sub))) {
                    SubSection s{line, std::nullopt};
                    if (close != std::string_view::npos) {
                        s.sub = HexNumber(std::string_view(lower).substr(sub + 3));
                        // Sub-indices are 8-bit; 0xFFFF would pass for a header entry.
                        if (s.sub && *s.sub > 0xFF) s.sub.reset();
                        if (!s.sub) Warn(line, "sub-index not readable in " + std::string(t));
                    }
                    subs_[*index].push_back(s);
                }
            }
            if (close == std::string_view::npos) {
                current = -1;
                if (sub == std::string::npos) Warn(line, "section without \"]\": " + std::string(t));
                continue;
            }
            sections_.push_back(Section{line, {}});
            const size_t number = sections_.size() - 1;
            current = static_cast<int>(number);
            byName_[lower].push_back(number);
            if (auto index = HexNumber(name)) byIndex_[*index].push_back(number);
            sectionOfLine_[i] = static_cast<int>(number);
            continue;
        }
        if (current < 0) continue;
        const size_t eq = t.find('=');
        if (eq == std::string_view::npos) {
            Warn(line, "line without \"=\" ignored: " + std::string(t.substr(0, 60)));
            continue;
        }
        sections_[static_cast<size_t>(current)].keys.push_back({LowerText(Trim(t.substr(0, eq))), ValueText(t.substr(eq + 1)),
                                                                   std::string(Trim(t.substr(eq + 1))), line});
    }
}

const Section* Reader::SectionAt(int line) const {
    if (line < 0 || static_cast<size_t>(line) >= sectionOfLine_.size() || sectionOfLine_[line] < 0) return nullptr;
    return &sections_[static_cast<size_t>(sectionOfLine_[line])];
}

// The first section of that name from `fromLine` on; failing that, the first anywhere (files that
// list their objects after the object sections).
const Section* Reader::FindSection(const std::string& lowerName, int fromLine) const {
    auto it = byName_.find(lowerName);
    if (it == byName_.end()) return nullptr;
    for (size_t n : it->second)
        if (sections_[n].line >= fromLine) return &sections_[n];
    return &sections_[it->second.front()];
}

const Section* Reader::ObjectSection(uint32_t index, int fromLine) const {
    auto it = byIndex_.find(index);
    if (it == byIndex_.end()) return nullptr;
    for (size_t n : it->second)
        if (sections_[n].line >= fromLine) return &sections_[n];
    return &sections_[it->second.front()];
}

bool Reader::Number(const KeyLine* key, uint32_t& value) {
    if (!key) return false;
    if (ParseNumber(key->value, value, 4)) return true;
    Warn(key->line, key->key + "=" + key->value + " is not a number");
    return false;
}

uint32_t Reader::Count(const Section* section, std::string_view key) {
    uint32_t value = 0;
    if (section && Number(section->Find(key), value)) return value;
    return 0;
}

bool Reader::Fail(std::string text, std::string caption, int line) {
    result_.ok = false;
    result_.error = std::move(text);
    result_.caption = std::move(caption);
    result_.errorLine = line + 1;
    return false;
}

std::string Reader::Name(const std::string& raw) const {
    if (utf8_) {
        size_t cut = std::min(raw.size(), kEntryNameChars);
        while (cut > 0 && cut < raw.size() && (static_cast<unsigned char>(raw[cut]) & 0xC0) == 0x80) --cut;
        return raw.substr(0, cut);
    }
    return Windows1252ToUtf8(std::string_view(raw).substr(0, kEntryNameChars));
}

void Reader::FillEntry(ObjectEntry& e, const Section& s) {
    uint32_t dataType = 0;
    if (Number(s.Find("datatype"), dataType)) e.dataType = static_cast<uint16_t>(dataType);
    e.length = static_cast<int32_t>(dataType);
    if (const KeyLine* k = s.Find("parametername")) e.name = Name(k->value);
    if (const KeyLine* k = s.Find("accesstype")) e.accessType = k->value.substr(0, kEntryAccessChars);
    if (const KeyLine* k = s.Find("parametervalue"))
        e.defaultValue = k->raw;
    else if (const KeyLine* d = s.Find("defaultvalue"))
        e.defaultValue = d->raw;
    e.sourceLine = s.line + 1;
}

// Objects are looked up anywhere in the file when none follows their list, so the sub-entries
// of every section count, wherever it stands.
size_t Reader::CapacityFrom(int line) const {
    size_t total = 0;
    for (const Section& s : sections_) {
        if (s.line < line) continue;
        uint32_t n = 0;
        if (const KeyLine* k = s.Find("subnumber")) {
            if (ParseNumber(k->value, n, 4)) total += n;
        } else if (const KeyLine* c = s.Find("compactsubobj")) {
            if (ParseNumber(c->value, n, 4) && n > 0) total += static_cast<size_t>(n) + 1;
        }
    }
    return total;
}

bool Reader::LoadSubEntries(uint32_t index, const Section& object, uint32_t count) {
    const std::string prefix = "[" + Hex(index) + "sub";
    // Sub-index sections in file order, those behind the object's own section first.
    std::vector<SubSection> order;
    if (auto it = subs_.find(index); it != subs_.end()) {
        for (const SubSection& s : it->second)
            if (s.line > object.line) order.push_back(s);
        for (const SubSection& s : it->second)
            if (s.line < object.line) order.push_back(s);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (i >= order.size())
            return Fail("Eintrag nicht gefunden \n - " + prefix + Hex(i) + "] -", kCaptionLoad, object.line);
        const SubSection& s = order[i];
        if (!s.sub && lines_[s.line].find(']') == std::string::npos)
            return Fail("Fehler in der EDS Datei \n - " + prefix + " - \n - " + lines_[s.line] + " -", kCaptionLoad,
                        s.line);
        const Section* section = SectionAt(s.line);
        if (!s.sub || !section)
            return Fail("Eintrag nicht gefunden \n - " + std::string(Trim(lines_[s.line])) + " -", kCaptionLoad, s.line);
        ObjectEntry e;
        e.index = index;
        e.subindex = *s.sub;
        FillEntry(e, *section);
        result_.entries.push_back(std::move(e));
    }
    return true;
}

// An array written with CompactSubObj: no sub-index sections; sub-index 0 holds the count and
// sub-indices 1..count take the object's data type and access type. Names come from the
// "[xxxxName]" section when there is one, default values from "[xxxxValue]".
void Reader::LoadCompact(uint32_t index, const Section& object, uint32_t count) {
    count = std::min<uint32_t>(count, 254);
    ObjectEntry zero;
    zero.index = index;
    zero.subindex = 0;
    zero.length = zero.dataType = 5;
    zero.name = "NrOfEntries";
    zero.accessType = "ro";
    zero.defaultValue = std::to_string(count);
    zero.sourceLine = object.line + 1;
    result_.entries.push_back(zero);
    const Section* names = FindSection(LowerText(Hex(index) + "name"), 0);
    const Section* values = FindSection(LowerText(Hex(index) + "value"), 0);
    std::string baseName;
    if (const KeyLine* k = object.Find("parametername")) baseName = k->value;
    for (uint32_t sub = 1; sub <= count; ++sub) {
        ObjectEntry e;
        e.index = index;
        e.subindex = sub;
        FillEntry(e, object);
        const std::string key = std::to_string(sub);
        const KeyLine* name = names ? names->Find(key) : nullptr;
        e.name = Name(name ? name->value : baseName + key);
        if (const KeyLine* v = values ? values->Find(key) : nullptr) e.defaultValue = v->raw;
        result_.entries.push_back(std::move(e));
    }
}

bool Reader::LoadObject(uint32_t index, const Section& object) {
    uint32_t type = 7;
    if (const KeyLine* k = object.Find("objecttype"); k && !Number(k, type)) type = 7;
    if (type != 8 && type != 9) {
        ObjectEntry e;
        e.index = index;
        e.subindex = 0;
        FillEntry(e, object);
        result_.entries.push_back(std::move(e));
        return true;
    }
    ObjectEntry header;
    header.index = index;
    header.subindex = kHeaderSubindex;
    header.header = true;
    if (const KeyLine* k = object.Find("parametername")) header.name = Name(k->value);
    header.sourceLine = object.line + 1;
    result_.entries.push_back(std::move(header));
    if (const KeyLine* k = object.Find("subnumber")) {
        uint32_t count = 0;
        Number(k, count);
        return LoadSubEntries(index, object, count);
    }
    uint32_t compact = 0;
    if (Number(object.Find("compactsubobj"), compact) && compact > 0) LoadCompact(index, object, compact);
    return true;
}

bool Reader::LoadList(const Section* list, uint32_t count) {
    if (!list) return true;
    for (uint32_t k = 1; k <= count; ++k) {
        const std::string key = std::to_string(k);
        const KeyLine* entry = list->Find(key);
        uint32_t index = 0;
        if (!entry) return Fail("Eintrag nicht gefunden \n - " + key + "= -", kCaptionLoad, list->line);
        if (!Number(entry, index))
            return Fail("Eintrag nicht gefunden \n - [" + entry->value + "] -", kCaptionLoad, entry->line);
        const Section* object = ObjectSection(index, list->line);
        if (!object) return Fail("Eintrag nicht gefunden \n - [" + Hex(index) + "] -", kCaptionLoad, entry->line);
        if (!LoadObject(index, *object)) return false;
    }
    return true;
}

EdsLoadResult Reader::Run() {
    utf8_ = LooksLikeUtf8(lines_);
    Index();
    const Section* mandatory = FindSection("mandatoryobjects", 0);
    if (!mandatory) {
        Fail(" Datei ist keine EDS Datei", "EDS DATEI LADEN", -1);
        return std::move(result_);
    }
    const Section* optional = FindSection("optionalobjects", mandatory->line);
    const Section* manufacturer = FindSection("manufacturerobjects", mandatory->line);
    const uint32_t counts[3] = {Count(mandatory, "supportedobjects"), Count(optional, "supportedobjects"),
                                Count(manufacturer, "supportedobjects")};
    result_.capacity = static_cast<size_t>(counts[0]) + counts[1] + counts[2] + CapacityFrom(0);
    result_.entries.reserve(std::min(result_.capacity, lines_.size() + 16));
    if (LoadList(mandatory, counts[0]) && LoadList(optional, counts[1])) LoadList(manufacturer, counts[2]);
    return std::move(result_);
}

bool ReadTerm(std::string_view term, uint32_t nodeId, uint64_t& value) {
    if (EqualNoCase(term, "$nodeid")) {
        value = nodeId;
        return true;
    }
    int base = 10;
    if (term.size() > 2 && term[0] == '0' && (term[1] == 'x' || term[1] == 'X')) {
        base = 16;
        term.remove_prefix(2);
    } else if (term.size() > 1 && term[0] == '0') {
        base = 8;
        term.remove_prefix(1);
    }
    if (term.empty()) return false;
    uint64_t v = 0;
    for (char c : term) {
        const int d = Digit(c, base);
        if (d < 0) return false;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFull) return false;
    }
    value = v;
    return true;
}
}  // namespace

EdsLoadResult LoadObjects(const std::vector<std::string>& lines) { return Reader(lines).Run(); }

EdsLoadResult LoadEdsFile(const std::string& path) {
    std::string bytes;
    const FileReadResult read = ReadFileBytes(path, bytes, kMaxEdsBytes);
    if (read != FileReadResult::Ok) {
        EdsLoadResult r;
        r.ok = false;
        r.caption = "Loading EDS file";
        r.error = read == FileReadResult::NotFound ? "File not found\n" : "Error reading EDS file\nError reading file";
        return r;
    }
    return LoadObjects(SplitLines(bytes));
}

std::string EdsErrorMessage(const EdsLoadResult& result, const std::string& fileName) {
    std::string text = result.error;
    if (!fileName.empty() && result.errorLine > 0)
        text += "\n" + fileName + ", line " + std::to_string(result.errorLine);
    else if (!fileName.empty())
        text += "\n" + fileName;
    return text;
}

std::string EdsWarningText(const EdsLoadResult& result, const std::string& fileName, size_t limit) {
    std::string text;
    for (size_t i = 0; i < result.warnings.size() && i < limit; ++i)
        text += fileName + ", line " + std::to_string(result.warnings[i].line) + ": " + result.warnings[i].text + "\n";
    if (result.warnings.size() > limit)
        text += "... and " + std::to_string(result.warnings.size() - limit) + " more\n";
    return text;
}

bool EvaluateEdsInteger(std::string_view text, uint32_t nodeId, uint32_t& value) {
    std::string t;
    for (char c : text)
        if (!IsBlank(c)) t.push_back(c);
    if (t.empty()) return false;
    bool negative = false;
    std::string_view rest(t);
    if (rest.front() == '-') {
        negative = true;
        rest.remove_prefix(1);
    }
    uint64_t sum = 0;
    while (true) {
        const size_t plus = rest.find('+');
        uint64_t term = 0;
        if (!ReadTerm(rest.substr(0, plus), nodeId, term)) return false;
        if (negative) {
            if (plus != std::string_view::npos || term > 0x80000000ull) return false;
            value = static_cast<uint32_t>(0u - static_cast<uint32_t>(term));
            return true;
        }
        sum += term;
        if (plus == std::string_view::npos) break;
        rest.remove_prefix(plus + 1);
    }
    value = static_cast<uint32_t>(sum);
    return sum <= 0xFFFFFFFFull;
}
