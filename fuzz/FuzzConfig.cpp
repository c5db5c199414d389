// The configuration reader and writer on arbitrary file text.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Configuration.h"
#include "IniFile.h"
#include "NamedValueList.h"
#include "SilentOperator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentOperator silent;
    SetOperatorPort(&silent);
    ScriptVariables().Clear();
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Configuration config;
    ParseConfigurationText(text, config);
    for (const auto& entry : IniKeyTable()) {
        // Every value respects its key's capacity.
        if (config.Value(entry.key).size() > entry.capacity) __builtin_trap();
    }
    // What is written reads back with the same keys in the same places.
    const std::string written = BuildConfigurationText(config);
    std::string value;
    for (const auto& key : IniWriteOrder())
        if (!FindIniValue(written, key, value)) __builtin_trap();
    Configuration again;
    ParseConfigurationText(written, again);
    if (!again.MissingKeys().empty()) __builtin_trap();
    return 0;
}
