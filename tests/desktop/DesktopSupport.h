#pragma once
// Shared pieces of the desktop tests: a quarzel.ini written from the key table, CAN interface
// kinds on a private virtual bus, a recording station view, and resetting process-wide state.

#include <QDir>
#include <QFile>
#include <map>
#include <memory>
#include <string>

#include "CanChannel.h"
#include "CanInterfaceKinds.h"
#include "Configuration.h"
#include "Dispatcher.h"
#include "InteractiveInput.h"
#include "NamedValueList.h"
#include "ScriptRun.h"
#include "StationActions.h"
#include "StationView.h"
#include "TestFileLoader.h"
#include "VirtualCanInterface.h"

// The bus the "testbus" interface kind opens its channel on; each test makes its own.
inline std::shared_ptr<VirtualBus>& TestBus() {
    static std::shared_ptr<VirtualBus> bus;
    return bus;
}

// A channel that is never found (for "CAN hardware ID ... was not found").
class AbsentCanInterface final : public VirtualCanInterface {
public:
    AbsentCanInterface() : VirtualCanInterface(VirtualBus::Create(), "absent") {}
    bool SearchCanDriverHandle(uint32_t, IHandleType*) override { return false; }
};

// "testbus": a virtual channel on TestBus(); "absent": hardware that is not there.
inline void RegisterTestInterfaceKinds() {
    static bool done = false;
    if (done) return;
    done = true;
    CanInterfaceKind bus;
    bus.name = "testbus";
    bus.matches = [](const std::string& v) { return v == "testbus"; };
    bus.create = [](const std::string&, std::string&) -> std::shared_ptr<AbstractCanInterface> {
        return std::make_shared<VirtualCanInterface>(TestBus(), "Test bus");
    };
    bus.listChannels = [] {
        std::vector<CanChannelInfo> list;
        auto owner = std::make_shared<VirtualCanInterface>(TestBus(), "Test bus");
        owner->GetChannelList(list, true);
        return list;
    };
    RegisterCanInterfaceKind(std::move(bus));
    CanInterfaceKind absent;
    absent.name = "absent";
    absent.matches = [](const std::string& v) { return v == "absent"; };
    absent.create = [](const std::string&, std::string&) -> std::shared_ptr<AbstractCanInterface> {
        return std::make_shared<AbsentCanInterface>();
    };
    RegisterCanInterfaceKind(std::move(absent));
}

// quarzel.ini text with every key: the example values, changed by `values`; a key mapped to
// "<missing>" is left out.
inline std::string IniText(const std::map<std::string, std::string>& values = {}) {
    std::map<std::string, std::string> v = {
        {"[PRG_NAME]", "Quarzel"},          {"[SW_VERSION]", "2.45.0"},      {"[CAN_TREIBER_TYP]", "testbus"},
        {"[CAN_TREIBER_HWID]", "0x00"},     {"[CAN_TREIBER_CHANNEL]", "0"},  {"[CAN_TREIBER_DELAY]", "0"},
        {"[ARBEITSVERZEICHNIS]", "."},      {"[LOG_DIR]", "log"},            {"[STARTUP_MINIMIZED]", "false"},
        {"[EXTENSION_TESTDATEI]", "*.tst"}, {"[BASIS_DAT]", ""},             {"[LAST_SERIAL]", "41"},
        {"[KONT_AUFLOES]", "8192"},         {"[KANAL_TYP]", "CAN"},          {"[EXTENSION_PROGDATEI]", "*.hex"},
    };
    for (const auto& [k, value] : values) v[k] = value;
    std::string text;
    for (const std::string& key : IniWriteOrder()) {
        auto it = v.find(key);
        const std::string value = it == v.end() ? std::string() : it->second;
        if (value == "<missing>") continue;
        text += key + "\r\n" + value + "\r\n";
    }
    return text;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

inline std::string ReadBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

// The value that follows `key` in a written quarzel.ini.
inline std::string IniValue(const std::string& text, const std::string& key) {
    const size_t at = text.find(key + "\r\n");
    if (at == std::string::npos) return "<none>";
    const size_t start = at + key.size() + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

// A test file with the usual node block and `commands` (one "[B]" block each), LF line ends.
inline std::string TestFileText(const std::vector<std::string>& commands, const std::string& timer = "10") {
    std::string text =
        "Desktop test\r\nBaudrate: 500\r\nKnotenadresse: 5\r\nVendorID: 0x4A\r\nProduktcode: 0x406\r\n"
        "Revisionsnummer: 1\r\nSeriennummer: 0\r\nEmergencyID: 0x85\r\nGuardingId: 0x705\r\nPDO1_ID: 0x185\r\n"
        "PDO2_ID: 0x285\r\nSyncId: 0x80\r\nTimer: " +
        timer + "\r\n[BEFEHLE]\r\n";
    for (const auto& c : commands) text += "[B]\r\n" + c + "\r\n";
    return text;
}

inline void ResetDesktopState() {
    CanClose();
    CanSetInterface(nullptr);
    CanHardwareList().clear();
    ScriptVariables().Clear();
    LoopCounters().Clear();
    FreeTestFile();
    CurrentRun() = ScriptRun{};
    ClearCommandRegistry();
    AppConfiguration().Reset();
    ClearStationActions();
    SetInteractionPresenter(nullptr);
    SetNodeParameterListener(nullptr);
}

class RecordingStationView final : public StationView {
public:
    void ShowRunStatus(const std::string& text, StatusColor color) override {
        status = text;
        color_ = color;
    }
    void ShowStatusBar(const std::string& text) override { statusBar = text; }
    void RefreshNodePanel() override { ++panelRefreshes; }
    void ShowTestHistory(const FileHistory& h) override {
        history = h;
        ++historyShown;
    }
    std::string status;
    StatusColor color_ = StatusColor::Green;
    std::string statusBar;
    int panelRefreshes = 0;
    int historyShown = 0;
    FileHistory history;
};
