// Bus tools under load: the trace window (logic) and a recording on the virtual bus with bus
// timing at 1 Mbit/s while the simulated generator keeps the bus full, in real time; and the
// speed of the CANopen service column.
//   BENCH_SECONDS  length of the load run (default 60)
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "AppCanSettings.h"
#include "CanChannel.h"
#include "Configuration.h"
#include "CanopenDecode.h"
#include "NamedValueList.h"
#include "Ports.h"
#include "SimGenerator.h"
#include "TestGeneratorPanel.h"
#include "TraceLogic.h"
#include "VirtualCanInterface.h"

namespace {
class QuietOperator final : public OperatorPort {
public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        std::printf("message: %s: %s\n", title.c_str(), text.c_str());
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> AskValue(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void ShowNotice(const std::string&, const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double RssMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void BenchDecode() {
    // A mix as a CANopen bus carries it: PDOs, SDO, heartbeats, Sync, NMT, EMCY, LSS, others.
    const uint32_t ids[] = {0x181, 0x281, 0x601, 0x581, 0x701, 0x080, 0x000, 0x081, 0x7E5, 0x123};
    const uint8_t data[8] = {0x43, 0x18, 0x10, 0x01, 0xA2, 0x03, 0x00, 0x00};
    constexpr int kFrames = 5'000'000;
    size_t chars = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) chars += DecodeCanopenFrame(ids[i % 10], false, 8, data).size();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("CANopen service column: %.0f frames/s (%zu characters)\n", kFrames / s, chars);
}

void BenchLoad(int seconds) {
    VirtualBus::Options options;
    options.busTiming = true;
    auto bus = VirtualBus::Create(options);
    AppCanSettings settings(AppConfiguration());
    SetCanSettings(&settings);
    ScriptVariables().Set("Baudr", 0);  // 1000 kbit/s
    auto iface = std::make_shared<VirtualCanInterface>(bus, "station");
    CanSetInterface(iface);
    SimGenerator generator(bus, GeneratorOptions{16, 1000});
    QuietOperator op;
    CanOpen();

    // The generator: one 8-byte frame, no pause, cyclic — a full bus.
    TestGeneratorPanel panel(op);
    panel.controls.nodeId = "16";
    auto& e = panel.controls.msgs[1];
    e[1] = "0x185";
    e[2] = "8";
    for (int i = 4; i < 12; ++i) e[i] = "0x" + std::to_string(i);
    panel.controls.numMsg = "1";
    panel.controls.numMsgRec = "0";
    panel.controls.delay = "0";
    panel.controls.mode = 0;
    if (!panel.updDownloadClick()) return;

    TraceLogic trace(op);
    const std::string path = QDir::tempPath().toStdString() + "/quarzel-bench-trace.log";
    trace.btnStartClick();
    trace.StartRecording(path);
    const uint64_t sentBefore = generator.FramesSent();
    if (!panel.btnTGStartClick()) return;

    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double rss0 = RssMb();
    const double cpu0 = CpuSeconds();
    const uint64_t sent0 = generator.FramesSent();
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = CpuSeconds() - cpu0;
    const double rss1 = RssMb();
    const uint64_t sent1 = generator.FramesSent();

    panel.btnTGStopClick();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    trace.btnStopClick();
    trace.StopRecording();
    const uint64_t sent = generator.FramesSent() - sentBefore;
    // Numbered lines: the generator's frames and the two SDO answers.
    const uint64_t lines = static_cast<uint64_t>(trace.FrameNumber()) - 2;
    std::printf("bus load run: %d s, generator %.0f frames/s at 1 Mbit/s with bus timing\n", seconds,
                static_cast<double>(sent1 - sent0) / wall);
    std::printf("bus load frames sent by the generator: %llu\n", static_cast<unsigned long long>(sent));
    // The recording also holds the station's SDO start and stop requests and their answers.
    const uint64_t recorded = trace.RecordedFrames();
    const uint64_t generatorRecorded = recorded >= 4 ? recorded - 4 : 0;
    std::printf("bus load frames lost in the recording: %lld\n",
                static_cast<long long>(sent) - static_cast<long long>(generatorRecorded));
    std::printf("bus load frames in the window's model: %llu numbered, %llu discarded after 201 lines (as specified), %llu lost\n",
                static_cast<unsigned long long>(lines), static_cast<unsigned long long>(trace.DiscardedFrames()),
                static_cast<unsigned long long>(trace.LostFrames()));
    std::printf("bus load CPU share (station + simulated generator and bus): %.1f %% of a core\n", 100 * cpu / wall);
    std::printf("bus load resident memory growth: %.1f MB (%.1f -> %.1f MB)\n", rss1 - rss0, rss0, rss1);
    std::remove(path.c_str());
    CanClose();
    CanSetInterface(nullptr);
    SetCanSettings(nullptr);
}
}  // namespace

int main() {
    BenchDecode();
    const char* env = std::getenv("BENCH_SECONDS");
    BenchLoad(env ? std::max(1, std::atoi(env)) : 60);
    return 0;
}
