#pragma once
// End-to-end harness: the station (runner, commands, channel) and a simulated encoder on a
// private virtual bus, in virtual time. A test loads test-file text, runs it to the end and
// asserts on the protocol rows and on the frames the device saw.
//
// Link: quarzel_app quarzel_sim quarzel_test_support.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "AppCanSettings.h"
#include "CanChannel.h"
#include "CommandSet.h"
#include "Configuration.h"
#include "Dispatcher.h"
#include "NamedValueList.h"
#include "ProtocolGrid.h"
#include "ScriptRun.h"
#include "ScriptedOperator.h"
#include "SimEncoder.h"
#include "StationView.h"
#include "TestFileLoader.h"
#include "TestRunner.h"
#include "VirtualCanInterface.h"
#include "VirtualTimeSource.h"

struct SeenFrame {
    uint32_t id = 0;
    bool rtr = false;
    std::vector<uint8_t> data;  // `len` bytes (for a remote frame: empty)
    uint8_t len = 0;
    bool fromStation = false;
};

class StationHarness : public StationView {
public:
    // `withDevice` false: the bus without the encoder (silence tests).
    explicit StationHarness(EncoderOptions options = {}, bool withDevice = true)
        : settings_(AppConfiguration()) {
        AppConfiguration().Reset();
        AppConfiguration().SetValue("[LOG_DIR]", dir_.path().toStdString() + "/log");
        SetCanSettings(&settings_);
        SetStationView(this);
        ScriptVariables().Clear();
        LoopCounters().Clear();
        bus_ = VirtualBus::Create();
        bus_->SetMonitor([this](const VirtualEndpoint& from, const BusFrame& f) { Record(from, f); });
        if (withDevice) {
            if (options.storePath.empty()) options.storePath = dir_.path().toStdString() + "/encoder.par";
            device_ = std::make_unique<SimEncoder>(bus_, options);
        }
        iface_ = std::make_shared<VirtualCanInterface>(bus_, "station");
        CanSetInterface(iface_);
        ClearCommandRegistry();
        RegisterAllCommands();
        runner_ = std::make_unique<TestRunner>(grid_);
    }

    ~StationHarness() override {
        bus_->SetMonitor(nullptr);
        runner_.reset();
        device_.reset();
        CanClose();
        CanSetInterface(nullptr);
        SetStationView(nullptr);
        SetCanSettings(nullptr);
        FreeTestFile();
    }

    // Writes `text` (LF line ends become CR LF) as a test file and loads it.
    bool Load(const std::string& text, const std::string& name = "test.tst") {
        std::string crlf;
        for (char c : text) {
            if (c == '\n') crlf.push_back('\r');
            crlf.push_back(c);
        }
        const std::string path = WriteFile(name, crlf);
        return LoadTestFile(path, false);
    }

    // Loads an existing test file (its memory and hex files are found beside it).
    bool LoadFile(const std::string& path) { return LoadTestFile(path, false); }

    // Writes a file beside the test file (memory files, hex text files).
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.path().toStdString() + "/" + name;
        QFile f(QString::fromStdString(path));
        if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    std::string Folder() const { return dir_.path().toStdString(); }

    // START, then advance virtual time until the run ends (or `limitMs` of virtual time).
    bool Run(uint64_t limitMs = 600'000) {
        ended_ = false;
        if (!runner_->StartTest()) return false;
        const uint64_t limit = time_->NowUs() + limitMs * 1000;
        return time_->RunUntil([this] { return ended_; }, limit);
    }

    // The written rows 1 .. last.
    std::vector<GridRow> Rows() const {
        std::vector<GridRow> rows;
        for (int r = 1; r <= grid_.LastWrittenRow(); ++r) rows.push_back(grid_.Row(r));
        return rows;
    }
    // The "Command" cells of the written rows, in order (handy for whole-run assertions).
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& r : Rows()) out.push_back(r[COL_COMMAND]);
        return out;
    }
    int ErrorCount() const { return runner_->errorCount; }

    // Frames the station sent, in order.
    const std::vector<SeenFrame>& StationFrames() const { return seen_; }
    // Every frame on the bus (station and device), in order, since construction.
    const std::vector<SeenFrame>& BusFrames() const { return all_; }

    SimEncoder& Device() { return *device_; }
    VirtualBus& Bus() { return *bus_; }
    VirtualTimeSource& Time() { return *time_; }
    TestRunner& Runner() { return *runner_; }
    ProtocolGrid& Grid() { return grid_; }
    ScriptedOperator& Operator() { return operator_; }
    RunEnd EndReason() const { return reason_; }
    int ExitCode() const { return exitCode_; }

    // StationView
    void RunEnded(RunEnd reason, int exitCode) override {
        ended_ = true;
        reason_ = reason;
        exitCode_ = exitCode;
    }

private:
    void Record(const VirtualEndpoint& from, const BusFrame& f) {
        SeenFrame s;
        s.id = f.id;
        s.rtr = f.rtr;
        s.len = f.len;
        if (!f.rtr) s.data.assign(f.data.begin(), f.data.begin() + std::min<uint8_t>(f.len, 8));
        s.fromStation = iface_ && &from == &iface_->Endpoint();
        if (s.fromStation) seen_.push_back(s);
        all_.push_back(s);
    }

    ScopedVirtualTime time_;
    QTemporaryDir dir_;
    ScriptedOperator operator_;
    AppCanSettings settings_;
    std::shared_ptr<VirtualBus> bus_;
    std::unique_ptr<SimEncoder> device_;
    std::shared_ptr<VirtualCanInterface> iface_;
    ProtocolGrid grid_;
    std::unique_ptr<TestRunner> runner_;
    std::vector<SeenFrame> seen_;
    std::vector<SeenFrame> all_;
    bool ended_ = false;
    RunEnd reason_ = RunEnd::Finished;
    int exitCode_ = 0;
};
