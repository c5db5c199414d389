#pragma once
// The station's configuration file quarzel.ini: every key with its capacity and default, read at
// start and written back (atomically) at the end.

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "FileHistory.h"

struct IniKeyEntry {
    std::string key;           // "[LOG_DIR]"
    size_t capacity = 255;     // longest value; longer values are cut
    bool required = true;      // missing: "Error reading INI file"
    std::string defaultValue;  // used when a key that is not required is missing
};

// Every key in the order it is read (the history keys expanded: "[TEST_DAT_1]" ...).
const std::vector<IniKeyEntry>& IniKeyTable();
// Every key in the order it is written.
const std::vector<std::string>& IniWriteOrder();
// Keys of the station's additions ("[STATION_NAME]", "[RESULT_DB]"): optional, empty when
// missing, written after the others only when they have a value.
const std::vector<IniKeyEntry>& IniAddedKeys();

enum class HistoryList { TestFiles, ProgFiles, EdsFiles };

class Configuration {
public:
    // A value by its bracketed key; empty when unset.
    std::string Value(const std::string& key) const;
    // Sets a value, cut to the key's capacity (unknown keys are kept at 255 characters).
    void SetValue(const std::string& key, const std::string& value);

    FileHistory History(HistoryList list) const;
    void SetHistory(HistoryList list, const FileHistory& history);

    // Where the file was read from (absolute); written back there.
    std::string Path() const;
    // True once the file was read; a configuration that could not be read is never written.
    bool WasRead() const;
    // Required keys the file did not have.
    std::vector<std::string> MissingKeys() const;

    // Forgets everything (as before the first read).
    void Reset();

private:
    friend bool ReadConfiguration(const std::string& path, Configuration& config);
    friend void ParseConfigurationText(std::string_view text, Configuration& config);
    mutable std::mutex mutex_;
    std::map<std::string, std::string> values_;
    std::string path_;
    bool read_ = false;
    std::vector<std::string> missing_;
};

// The program's configuration.
Configuration& AppConfiguration();

// The file name in the current folder: "quarzel.ini".
inline constexpr const char* kConfigurationFileName = "quarzel.ini";

// Reads `path` into `config` (defaults for missing keys that have one), sets the script
// variables CANInitDelay and SerialNr, and reports "INI file not found" or "Error reading INI
// file" ("INITIALIZATION") through the operator. False when the file could not be read.
bool ReadConfiguration(const std::string& path, Configuration& config);
// The values of a file's text, as ReadConfiguration takes them (the file's path is kept).
void ParseConfigurationText(std::string_view text, Configuration& config);
// The file text: each key, CR LF, its value, CR LF, in the write order. CANInitDelay and
// SerialNr are taken from the script variables.
std::string BuildConfigurationText(const Configuration& config);
// Replaces the file the configuration was read from, atomically: a failed write leaves the old
// file as it was. Nothing is written when the configuration was never read. False on failure.
bool WriteConfiguration(const Configuration& config);
