#include "AppCanSettings.h"

#include "Configuration.h"
#include "NamedValueList.h"

std::optional<int64_t> AppCanSettings::Variable(const std::string& name) {
    auto v = ScriptVariables().Find(name);
    if (!v) return std::nullopt;
    return static_cast<int64_t>(*v);
}

std::string AppCanSettings::Config(const std::string& key) { return config_.Value(key); }
