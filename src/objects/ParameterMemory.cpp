#include "ParameterMemory.h"

#include <cstdio>

namespace {
constexpr const char* kCaption = "Load Memory.dat";

ParameterMemoryOperation& ReadOperation() {
    static ParameterMemoryOperation op;
    return op;
}
ParameterMemoryOperation& ClearOperation() {
    static ParameterMemoryOperation op;
    return op;
}

// The reason and, for a file that was read, where in it.
std::string ProblemText(const MemoryMapResult& r, const std::string& file) {
    if (r.error.line <= 0 && r.error.text.find(file) != std::string::npos) return r.error.text;
    return r.error.text + "\n" + file + (r.error.line > 0 ? ", line " + std::to_string(r.error.line) : "");
}
}  // namespace

void RegisterParameterMemoryOperations(ParameterMemoryOperation read, ParameterMemoryOperation clear) {
    ReadOperation() = std::move(read);
    ClearOperation() = std::move(clear);
}

ParameterMemory::ParameterMemory(OperatorPort& op) : op_(op) {}

bool ParameterMemory::Take(const MemoryMapResult& result) {
    if (!result.ok) return false;
    map_ = result.map;
    loaded_ = true;
    ForgetValues();
    return true;
}

bool ParameterMemory::Fallback() {
    const MemoryMapResult def = LoadMemoryMapFile(defaultPath_);
    if (Take(def)) {
        op_.ShowMessage("User-defined Memory.dat could not be loaded.\nUsing default Memory.dat.", kCaption);
        return true;
    }
    loaded_ = false;
    Notify();
    op_.ShowMessage(ProblemText(def, defaultPath_), kCaption);
    return false;
}

bool ParameterMemory::Load(const std::string& userPath) {
    if (!userPath.empty() && Take(LoadMemoryMapFile(userPath))) return true;
    return Fallback();
}

bool ParameterMemory::LoadLines(const std::vector<std::string>& lines) {
    if (Take(ReadMemoryMap(lines))) return true;
    return Fallback();
}

bool ParameterMemory::LoadDefault() {
    const MemoryMapResult r = LoadMemoryMapFile(defaultPath_);
    if (Take(r)) return true;
    loaded_ = false;
    Notify();
    op_.ShowMessage(ProblemText(r, defaultPath_), kCaption);
    return false;
}

std::vector<ParameterMemoryRow> ParameterMemory::Rows(MemoryAreaKind area) const {
    std::vector<ParameterMemoryRow> rows;
    const MemoryArea& a = map_.Area(area);
    const std::vector<uint8_t>& bytes = bytes_[static_cast<size_t>(area)];
    for (const MemoryParameter& p : a.parameters) {
        ParameterMemoryRow row;
        char text[32];
        std::snprintf(text, sizeof text, "0x%04x", p.address);
        row[0] = text;
        row[1] = p.name;
        const size_t offset = p.address - a.start;
        if (p.size > 0 && offset + static_cast<size_t>(p.size) <= bytes.size()) {
            uint32_t value = 0;
            for (int i = 0; i < p.size; ++i) value |= static_cast<uint32_t>(bytes[offset + static_cast<size_t>(i)]) << (8 * i);
            row[2] = std::to_string(value);
            std::snprintf(text, sizeof text, "0x%0*X", p.size * 2, value);
            row[3] = text;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string ParameterMemory::Summary(MemoryAreaKind area) const {
    const MemoryArea& a = map_.Area(area);
    char text[128];
    std::snprintf(text, sizeof text, "Start 0x%04X  End 0x%04X  Size %u  Blocks %u", a.start, a.end, a.totalSize,
                  a.blocks);
    return text;
}

void ParameterMemory::SetAreaBytes(MemoryAreaKind area, std::vector<uint8_t> bytes) {
    bytes_[static_cast<size_t>(area)] = std::move(bytes);
    Notify();
}

void ParameterMemory::ForgetValues() {
    for (auto& b : bytes_) b.clear();
    Notify();
}

bool ParameterMemory::CanRead() const { return loaded_ && static_cast<bool>(ReadOperation()); }
bool ParameterMemory::CanClear() const { return loaded_ && static_cast<bool>(ClearOperation()); }

void ParameterMemory::Read(MemoryAreaKind area) {
    if (CanRead()) ReadOperation()(*this, area);
}

void ParameterMemory::Clear(MemoryAreaKind area) {
    if (CanClear()) ClearOperation()(*this, area);
}

void ParameterMemory::Notify() {
    if (listener_) listener_();
}
