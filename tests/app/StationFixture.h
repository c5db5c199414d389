#pragma once
// A station on a private virtual bus with virtual time: a device endpoint the test answers from,
// the runner on a grid, the loaded test written from text, and every process-wide state reset.

#include <gtest/gtest.h>

#include <QDir>
#include <fstream>

#include "AppCanSettings.h"
#include "CanChannel.h"
#include "Configuration.h"
#include "Dispatcher.h"
#include "LabelCommands.h"
#include "NamedValueList.h"
#include "ScriptedOperator.h"
#include "StationView.h"
#include "TempDir.h"
#include "TestFileLoader.h"
#include "TestRunner.h"
#include "VirtualCanInterface.h"
#include "VirtualTimeSource.h"

class RecordingView final : public StationView {
public:
    void ShowRunStatus(const std::string& text, StatusColor color) override {
        statuses.push_back(text);
        lastStatus = text;
        lastColor = color;
    }
    void ShowStatusBar(const std::string& text) override { statusBar = text; }
    void RestoreWindow() override { ++restores; }
    void RefreshNodePanel() override { ++panelRefreshes; }
    void ShowTestHistory(const FileHistory& h) override { history = h; }
    void RunEnded(RunEnd reason, int code) override {
        ended = reason;
        exitCode = code;
    }

    std::vector<std::string> statuses;
    std::string lastStatus;
    StatusColor lastColor = StatusColor::Default;
    std::string statusBar;
    int restores = 0;
    int panelRefreshes = 0;
    FileHistory history;
    std::optional<RunEnd> ended;
    int exitCode = 0;
};

// The node parameter block of the test files used here: 500 kbit/s, node 5, Timer 10 ms.
inline std::string NodeBlock(const std::string& timer = "10") {
    return "Baudrate: 500\r\nKnotenadresse: 5\r\nVendorID: 0x4A\r\nProduktcode: 0x406\r\n"
           "Revisionsnummer: 1\r\nSeriennummer: 0\r\nEmergencyID: 0x85\r\nGuardingId: 0x705\r\n"
           "PDO1_ID: 0x185\r\nPDO2_ID: 0x285\r\nSyncId: 0x80\r\nTimer: " +
           timer + "\r\n";
}

inline void ResetStationState() {
    ScriptVariables().Clear();
    LoopCounters().Clear();
    FreeTestFile();
    CurrentRun() = ScriptRun{};
    ClearCommandRegistry();
    AppConfiguration().Reset();
    SetContinuityBlockReader(nullptr);
}

class StationFixture : public ::testing::Test {
protected:
    void SetUp() override {
        startDir_ = QDir::currentPath();
        ResetStationState();
        SetCanSettings(&settings);
        SetStationView(&view);
        bus = VirtualBus::Create();
        iface = std::make_shared<VirtualCanInterface>(bus);
        CanSetInterface(iface);
        device = bus->CreateEndpoint("device");
        device->Open(500);
        RegisterLabelCommands();
        runner = std::make_unique<TestRunner>(grid);
    }
    void TearDown() override {
        runner.reset();
        CanClose();
        CanSetInterface(nullptr);
        SetStationView(nullptr);
        SetCanSettings(nullptr);
        ResetStationState();
        QDir::setCurrent(startDir_);
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // A test file: the node block, then "[BEFEHLE]" and `commands` (lines joined with CR LF).
    std::string WriteTest(const std::vector<std::string>& commands, const std::string& timer = "10",
                          const std::string& name = "test.tst") {
        std::string text = "Test file\r\n" + NodeBlock(timer) + "[BEFEHLE]\r\n";
        for (const auto& c : commands) text += c + "\r\n";
        return WriteFile(name, text);
    }
    // Loads a test whose instructions are the given command lines, one "[B]" block each.
    void LoadCommands(const std::vector<std::string>& commandLines, const std::string& timer = "10") {
        std::vector<std::string> lines;
        for (const auto& c : commandLines) {
            lines.push_back("[B]");
            lines.push_back(c);
        }
        ASSERT_TRUE(LoadTestFile(WriteTest(lines, timer), true)) << ::testing::PrintToString(op.Messages());
    }
    // Advances virtual time until the runner stops by itself (or `limitMs` passes).
    bool RunToEnd(uint64_t limitMs = 600000) {
        return vt->RunUntil([this] { return !runner->TimerActive(); }, vt->NowUs() + limitMs * 1000u);
    }
    // Advances to the next runner tick.
    void Tick() { vt->AdvanceByMs(static_cast<uint64_t>(runner->IntervalMs())); }

    std::vector<GridRow> Rows() const {
        std::vector<GridRow> rows;
        for (int r = 1; r <= grid.LastWrittenRow(); ++r) rows.push_back(grid.Row(r));
        return rows;
    }
    // The frames the device has received since the last call.
    std::vector<BusFrame> DeviceFrames() {
        std::vector<BusFrame> out;
        BusFrame f;
        while (device->TryReceive(f)) out.push_back(f);
        return out;
    }
    void DeviceSend(uint32_t id, std::vector<uint8_t> data) {
        BusFrame f;
        f.id = id;
        f.len = static_cast<uint8_t>(data.size());
        for (size_t i = 0; i < data.size() && i < 8; ++i) f.data[i] = data[i];
        device->Send(f);
    }

    ScopedVirtualTime vt;
    ScriptedOperator op;
    RecordingChannelStatus channelStatus;
    RecordingView view;
    AppCanSettings settings{AppConfiguration()};
    TempDir dir;
    ProtocolGrid grid;
    std::shared_ptr<VirtualBus> bus;
    std::shared_ptr<VirtualCanInterface> iface;
    std::shared_ptr<VirtualEndpoint> device;
    std::unique_ptr<TestRunner> runner;

private:
    QString startDir_;
};
