#pragma once
// The channel layer's view of the station: script variables and configuration values.

#include "CanSettings.h"

class Configuration;

class AppCanSettings final : public CanSettings {
public:
    explicit AppCanSettings(const Configuration& config) : config_(config) {}
    std::optional<int64_t> Variable(const std::string& name) override;
    std::string Config(const std::string& key) override;

private:
    const Configuration& config_;
};
