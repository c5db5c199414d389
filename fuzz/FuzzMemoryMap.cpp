// The memory map reader on arbitrary file text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "MemoryMap.h"
#include "TextLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MemoryMapResult r = ReadMemoryMap(SplitLines(text));
    if (!r.ok) return 0;
    for (const MemoryArea& area : r.map.areas) {
        // At most 39 parameters, addresses in order, sizes adding up.
        if (area.parameters.size() >= kMaxAreaParameters) __builtin_trap();
        uint32_t address = area.start, total = 0;
        for (const MemoryParameter& p : area.parameters) {
            if (p.address != address || p.size < 0 || p.size > 4 || p.name.size() > kMemoryNameChars)
                __builtin_trap();
            address += static_cast<uint32_t>(p.size);
            total += static_cast<uint32_t>(p.size);
        }
        if (total != area.totalSize || area.end != area.start + total - 1) __builtin_trap();
    }
    return 0;
}
