// The EDS reader and the value evaluation on arbitrary file text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "EdsReader.h"
#include "TextLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitLines(text);
    const EdsLoadResult r = LoadObjects(lines);
    for (const ObjectEntry& e : r.entries) {
        // Every entry respects the table's limits (names count characters, kept as UTF-8).
        size_t nameChars = 0;
        for (char c : e.name) nameChars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (nameChars > kEntryNameChars || e.accessType.size() > kEntryAccessChars) __builtin_trap();
        if (e.header != (e.subindex == kHeaderSubindex)) __builtin_trap();
        if (e.sourceLine < 1 || static_cast<size_t>(e.sourceLine) > lines.size()) __builtin_trap();
        uint32_t value = 0;
        EvaluateEdsInteger(e.defaultValue, 5, value);
    }
    // A failure always says what and where; a line it names exists.
    if (!r.ok && (r.error.empty() || r.errorLine < 0 || static_cast<size_t>(r.errorLine) > lines.size()))
        __builtin_trap();
    for (const EdsProblem& p : r.warnings)
        if (p.line < 1 || static_cast<size_t>(p.line) > lines.size()) __builtin_trap();
    (void)EdsErrorMessage(r, "fuzz.eds");
    (void)EdsWarningText(r, "fuzz.eds");
    return 0;
}
