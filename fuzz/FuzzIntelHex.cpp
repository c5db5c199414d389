// The Intel HEX reader, emitter and image builder on arbitrary file text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "IntelHex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IntelHexFile file;
    if (!file.Read(text)) return 0;
    // Sorted, and every record's bytes lie inside the store.
    uint32_t previous = 0;
    for (const HexRecord& r : file.Records()) {
        if (r.address < previous || r.count == 0 || r.count > 255) __builtin_trap();
        previous = r.address;
    }
    // The emitter ends and never gives more than asked.
    EmittedHexRecord out;
    file.EmitNextRecord(out, 0);
    for (size_t n = 0; n < 100000; ++n) {
        const int result = file.EmitNextRecord(out, 8);
        if (out.bytes.size() > 8) __builtin_trap();
        if (result != HEX_EMIT_FULL) break;
    }
    HexImage image;
    bool empty = false;
    if (!BuildHexImage(file, image, empty) || image.bytes.size() > 65536) return 0;
    if (uint64_t{image.start} + image.bytes.size() > 0x100000000ull) return 0;
    // The image holds the last record's byte at every address, and written out it reads back.
    for (const HexRecord& r : file.Records()) {
        const auto bytes = file.Data(r);
        for (uint32_t i = 0; i < r.count; ++i) {
            const uint64_t at = uint64_t{r.address} + i - image.start;
            if (at >= image.bytes.size()) __builtin_trap();
        }
        (void)bytes;
    }
    IntelHexFile again;
    if (!again.Read(WriteIntelHex(image))) __builtin_trap();
    HexImage back;
    if (!BuildHexImage(again, back, empty) || back.start != image.start || back.bytes != image.bytes) __builtin_trap();
    return 0;
}
