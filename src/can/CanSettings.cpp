#include "CanSettings.h"

#include <array>
#include <atomic>

std::optional<int64_t> MapCanSettings::Variable(const std::string& name) {
    std::lock_guard lock(mutex_);
    auto it = variables_.find(name);
    if (it == variables_.end()) return std::nullopt;
    return it->second;
}

std::string MapCanSettings::Config(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto it = config_.find(key);
    return it == config_.end() ? std::string() : it->second;
}

void MapCanSettings::SetVariable(const std::string& name, int64_t value) {
    std::lock_guard lock(mutex_);
    variables_[name] = value;
}

void MapCanSettings::RemoveVariable(const std::string& name) {
    std::lock_guard lock(mutex_);
    variables_.erase(name);
}

void MapCanSettings::SetConfig(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    config_[key] = value;
}

namespace {
std::atomic<CanSettings*> g_settings{nullptr};
constexpr std::array<int, 9> kRates = {1000, 800, 500, 250, 125, 100, 50, 20, 10};
}  // namespace

MapCanSettings& DefaultCanSettings() {
    static MapCanSettings settings;
    return settings;
}

CanSettings& CurrentCanSettings() {
    CanSettings* s = g_settings.load(std::memory_order_acquire);
    return s ? *s : DefaultCanSettings();
}

void SetCanSettings(CanSettings* settings) { g_settings.store(settings, std::memory_order_release); }

int CanIndexToBitRate(int64_t index) {
    if (index < 0 || index >= static_cast<int64_t>(kRates.size())) return -1;
    return kRates[static_cast<size_t>(index)];
}

int CanBitRateToIndex(int64_t kbit) {
    for (size_t i = 0; i < kRates.size(); ++i)
        if (kRates[i] == kbit) return static_cast<int>(i);
    return -1;
}

int CanRequestedBitRate() {
    auto baudr = CurrentCanSettings().Variable("Baudr");
    return baudr ? CanIndexToBitRate(*baudr) : -1;
}
