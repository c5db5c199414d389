#pragma once
// What the channel layer reads from the layers above it: script variables ("Baudr",
// "CANInitDelay") and configuration values ("[LOG_DIR]", "[CAN_TREIBER_TYP]", ...).
// The application installs its own source at start-up; the default keeps plain maps so the
// channel can be used (and tested) on its own.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

class CanSettings {
public:
    virtual ~CanSettings() = default;
    // A script variable's value, or nullopt when it does not exist.
    virtual std::optional<int64_t> Variable(const std::string& name) = 0;
    // A configuration value by its bracketed key ("[LOG_DIR]"); empty when unset.
    virtual std::string Config(const std::string& key) = 0;
};

class MapCanSettings final : public CanSettings {
public:
    std::optional<int64_t> Variable(const std::string& name) override;
    std::string Config(const std::string& key) override;
    void SetVariable(const std::string& name, int64_t value);
    void RemoveVariable(const std::string& name);
    void SetConfig(const std::string& key, const std::string& value);

private:
    std::mutex mutex_;
    std::map<std::string, int64_t> variables_;
    std::map<std::string, std::string> config_;
};

CanSettings& CurrentCanSettings();
// The built-in map settings, used while no other source is installed.
MapCanSettings& DefaultCanSettings();
// Installs a source (nullptr restores the default); the caller keeps ownership.
void SetCanSettings(CanSettings* settings);

// The bit-timing index table: 0 = 1000, 1 = 800, 2 = 500, 3 = 250, 4 = 125, 5 = 100, 6 = 50,
// 7 = 20, 8 = 10 kbit/s; any other index gives -1.
int CanIndexToBitRate(int64_t index);
// kbit/s -> index, -1 when the rate has no index.
int CanBitRateToIndex(int64_t kbit);
// The rate selected by the script variable "Baudr", -1 when missing or invalid.
int CanRequestedBitRate();
