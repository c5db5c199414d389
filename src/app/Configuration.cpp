#include "Configuration.h"

#include <QFileInfo>
#include <charconv>

#include "AtomicFile.h"
#include "FileText.h"
#include "IniFile.h"
#include "LogFiles.h"
#include "NamedValueList.h"
#include "Ports.h"
#include "StringHelpers.h"

namespace {
constexpr size_t kMaxIniBytes = 1 << 20;
constexpr const char* kTitle = "INITIALIZATION";

std::string HistoryKey(const char* stem, size_t n) { return std::string(stem) + std::to_string(n) + "]"; }

const char* HistoryStem(HistoryList list) {
    switch (list) {
        case HistoryList::TestFiles: return "[TEST_DAT_";
        case HistoryList::ProgFiles: return "[PROG_DAT_";
        case HistoryList::EdsFiles: return "[EDS_DAT_";
    }
    return "[TEST_DAT_";
}

void AddHistoryKeys(std::vector<IniKeyEntry>& t, const char* stem) {
    for (size_t n = 1; n <= kHistoryEntries; ++n) t.push_back({HistoryKey(stem, n), kHistoryPathChars, true, ""});
}

std::vector<IniKeyEntry> MakeTable() {
    std::vector<IniKeyEntry> t = {
        {"[PRG_NAME]", 255, true, ""},
        {"[SW_VERSION]", 255, true, ""},
        {"[CAN_TREIBER_TYP]", 255, true, ""},
        {"[CAN_TREIBER_INIT]", 255, true, ""},
        {"[CAN_TREIBER_HWID]", 255, true, ""},
        {"[CAN_TREIBER_CHANNEL]", 255, true, ""},
        {"[CAN_TREIBER_DELAY]", 255, false, "250"},
        {"[ARBEITSVERZEICHNIS]", 259, true, ""},
        {"[LOG_DIR]", 259, true, ""},
        {"[STARTUP_MINIMIZED]", 255, false, "false"},
        {"[EXTENSION_TESTDATEI]", 255, true, ""},
        {"[BASIS_DAT]", 255, true, ""},
        {"[KONT_AUFLOES]", 19, true, ""},
        {"[KONT_MASKBITS]", 19, true, ""},
        {"[KONT_SIGNIFIKANTE_BITS]", 19, true, ""},
        {"[KONT_RUECKSPRUNG_ERLAUBT]", 19, true, ""},
        {"[KONT_ANZAHL_NACHRICHTEN_PRO_10MS]", 19, true, ""},
        {"[LAST_SERIAL]", 19, true, ""},
    };
    AddHistoryKeys(t, "[TEST_DAT_");
    t.push_back({"[EXTENSION_PROGDATEI]", 255, true, ""});
    t.push_back({"[EXTENSION_MEMDATEI]", 255, true, ""});
    t.push_back({"[KANAL_TYP]", 19, true, ""});
    AddHistoryKeys(t, "[PROG_DAT_");
    t.push_back({"[EXTENSION_EDSDATEI]", 255, true, ""});
    AddHistoryKeys(t, "[EDS_DAT_");
    t.push_back({"[ABGLEICH_INI_DATEI]", 259, true, ""});
    for (const auto& [key, cap] : std::vector<std::pair<const char*, size_t>>{
             {"[BUS_ZYKLUSZEIT]", 7}, {"[BUS_ANTWORTZEIT]", 7}, {"[BUS_SENDEN]", 34},
             {"[BUS_REMOTE_SENDEN]", 5}, {"[BUS_EMPFANG]", 34}, {"[BUS_REMOTE_EMPFANG]", 5},
             {"[TRACE_ZYKLUSZEIT]", 7}, {"[TRACE_ZYKLUS]", 5}, {"[TRACE_SENDEN]", 34},
             {"[TRACE_REMOTE_SENDEN]", 5}})
        t.push_back({key, cap, false, ""});
    return t;
}

std::vector<std::string> MakeWriteOrder() {
    std::vector<std::string> order;
    for (const auto& entry : IniKeyTable())
        if (entry.key != "[ABGLEICH_INI_DATEI]") order.push_back(entry.key);
    order.push_back("[ABGLEICH_INI_DATEI]");
    return order;
}

size_t CapacityOf(const std::string& key) {
    for (const auto& entry : IniKeyTable())
        if (entry.key == key) return entry.capacity;
    for (const auto& entry : IniAddedKeys())
        if (entry.key == key) return entry.capacity;
    return 255;
}

// Leading decimal digits as an unsigned 32-bit value; 0 without any (as atoi would give).
uint32_t DecimalValue(const std::string& text) {
    uint64_t v = 0;
    const char* begin = text.data();
    while (begin < text.data() + text.size() && *begin == ' ') ++begin;
    std::from_chars(begin, text.data() + text.size(), v);
    return static_cast<uint32_t>(v);
}
}  // namespace

const std::vector<IniKeyEntry>& IniKeyTable() {
    static const std::vector<IniKeyEntry> table = MakeTable();
    return table;
}

const std::vector<IniKeyEntry>& IniAddedKeys() {
    static const std::vector<IniKeyEntry> keys = {
        {"[STATION_NAME]", 255, false, ""},  // the name the result archive records
        {"[RESULT_DB]", 1023, false, ""},    // result archive: empty, "off" or a PostgreSQL connection
    };
    return keys;
}

const std::vector<std::string>& IniWriteOrder() {
    static const std::vector<std::string> order = MakeWriteOrder();
    return order;
}

std::string Configuration::Value(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    return it == values_.end() ? std::string() : it->second;
}

void Configuration::SetValue(const std::string& key, const std::string& value) {
    const std::string cut = CutText(value, CapacityOf(key));
    std::lock_guard lock(mutex_);
    values_[key] = cut;
}

FileHistory Configuration::History(HistoryList list) const {
    FileHistory h;
    for (size_t n = 0; n < kHistoryEntries; ++n) h[n] = Value(HistoryKey(HistoryStem(list), n + 1));
    return h;
}

void Configuration::SetHistory(HistoryList list, const FileHistory& history) {
    for (size_t n = 0; n < kHistoryEntries; ++n) SetValue(HistoryKey(HistoryStem(list), n + 1), history[n]);
}

std::string Configuration::Path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

bool Configuration::WasRead() const {
    std::lock_guard lock(mutex_);
    return read_;
}

std::vector<std::string> Configuration::MissingKeys() const {
    std::lock_guard lock(mutex_);
    return missing_;
}

void Configuration::Reset() {
    std::lock_guard lock(mutex_);
    values_.clear();
    path_.clear();
    read_ = false;
    missing_.clear();
}

Configuration& AppConfiguration() {
    static Configuration config;
    return config;
}

bool ReadConfiguration(const std::string& path, Configuration& config) {
    config.Reset();
    {
        std::lock_guard lock(config.mutex_);
        config.path_ = QFileInfo(QString::fromLocal8Bit(NativePath(path).c_str())).absoluteFilePath().toStdString();
    }
    std::string text;
    const FileReadResult r = ReadFileBytes(path, text, kMaxIniBytes);
    if (r == FileReadResult::NotFound) {
        CurrentOperator().ShowMessage("INI file not found", kTitle);
        return false;
    }
    if (r != FileReadResult::Ok) {
        CurrentOperator().ShowMessage("Error reading INI file", kTitle);
        return false;
    }
    ParseConfigurationText(text, config);
    return true;
}

void ParseConfigurationText(std::string_view text, Configuration& config) {
    std::vector<std::string> missing;
    std::string value;
    for (const auto& entry : IniKeyTable()) {
        if (!FindIniValue(text, entry.key, value)) {
            if (entry.required) missing.push_back(entry.key);
            value = entry.defaultValue;
        }
        config.SetValue(entry.key, value);
    }
    for (const auto& entry : IniAddedKeys()) {
        if (!FindIniValue(text, entry.key, value)) value = entry.defaultValue;
        config.SetValue(entry.key, value);
    }
    ScriptVariables().Set("CANInitDelay", DecimalValue(config.Value("[CAN_TREIBER_DELAY]")));
    ScriptVariables().Set("SerialNr", DecimalValue(config.Value("[LAST_SERIAL]")));
    {
        std::lock_guard lock(config.mutex_);
        config.read_ = true;
        config.missing_ = missing;
    }
    if (!missing.empty()) CurrentOperator().ShowMessage("Error reading INI file", kTitle);
}

std::string BuildConfigurationText(const Configuration& config) {
    auto variableText = [&](const char* name, const char* key) {
        uint32_t v = 0;
        return ScriptVariables().Lookup(name, v) ? std::to_string(v) : config.Value(key);
    };
    const std::string delay = variableText("CANInitDelay", "[CAN_TREIBER_DELAY]");
    const std::string serial = variableText("SerialNr", "[LAST_SERIAL]");
    std::string text;
    text.reserve(12477);
    std::vector<std::string> keys = IniWriteOrder();
    for (const auto& entry : IniAddedKeys())
        if (!config.Value(entry.key).empty()) keys.push_back(entry.key);
    for (const std::string& key : keys) {
        std::string value = key == "[CAN_TREIBER_DELAY]" ? delay : key == "[LAST_SERIAL]" ? serial : config.Value(key);
        // A value never spans lines: a line break in it would shift every later key.
        for (char& c : value)
            if (c == '\r' || c == '\n') c = ' ';
        text += key;
        text += "\r\n";
        text += value;
        text += "\r\n";
    }
    return text;
}

bool WriteConfiguration(const Configuration& config) {
    if (!config.WasRead() || config.Path().empty()) return false;
    AtomicFile file(config.Path(), false);
    if (!file.Open()) return false;
    if (!file.Write(BuildConfigurationText(config))) return false;
    return file.Commit();
}
