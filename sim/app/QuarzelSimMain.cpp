// quarzel-sim: simulated CANopen devices on a virtual bus served on a Unix-domain socket.

#include <QDir>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "SimBusProtocol.h"
#include "SimBusServer.h"
#include "SimEncoder.h"
#include "SimProgramOptions.h"
#include "TimeSource.h"

namespace {
SimBusServer* g_server = nullptr;

extern "C" void OnStopSignal(int) {
    if (g_server) g_server->Stop();
}

class Log {
public:
    Log() : startUs_(CurrentTimeSource().NowUs()) {}
    void Line(const std::string& text) {
        const uint64_t us = CurrentTimeSource().NowUs() - startUs_;
        std::lock_guard lock(mutex_);
        std::printf("%6llu.%06llu  %s\n", static_cast<unsigned long long>(us / 1000000),
                    static_cast<unsigned long long>(us % 1000000), text.c_str());
        std::fflush(stdout);
    }

private:
    uint64_t startUs_;
    std::mutex mutex_;
};
}  // namespace

int main(int argc, char** argv) {
    SimProgramOptions options;
    std::string error;
    if (!ParseSimProgramArgs(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "quarzel-sim: %s\nTry quarzel-sim --help.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(SimProgramUsage().c_str(), stdout);
        return 0;
    }
    if (options.socketPath.empty()) options.socketPath = DefaultSimBusSocketPath();

    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/quarzel-sim";
    const std::vector<EncoderOptions> devices = SimProgramDevices(options, dataDir.toStdString());
    if (!devices.empty() && !options.storeGiven) QDir().mkpath(dataDir);

    VirtualBus::Options busOptions;
    busOptions.busTiming = options.busTiming;
    busOptions.delayUs = options.busDelayUs;
    busOptions.loseEveryNth = options.busLossEvery;
    auto bus = VirtualBus::Create(busOptions);

    Log log;
    std::vector<std::unique_ptr<SimEncoder>> encoders;
    for (size_t k = 0; k < devices.size(); ++k) {
        const std::string label = "encoder " + std::to_string(k + 1);
        SimEncoder::FrameTap tap;
        if (options.verbose)
            tap = [&log, label](const BusFrame& f, int kbit) {
                log.Line(label + " @" + std::to_string(kbit) + "  " + FormatFrameForLog(f));
            };
        encoders.push_back(std::make_unique<SimEncoder>(bus, devices[k], tap));
        const auto& d = devices[k];
        char line[256];
        std::snprintf(line, sizeof line, "%s: node %u, %d kbit/s, serial 0x%08X, parameters in %s", label.c_str(),
                      static_cast<unsigned>(encoders.back()->NodeId()), encoders.back()->BitRateKbit(), d.serial,
                      d.storePath.empty() ? "memory" : d.storePath.c_str());
        log.Line(line);
        const std::string storeError = encoders.back()->StoreError();
        if (!storeError.empty()) log.Line(label + ": " + storeError);
    }

    SimBusServer::Options serverOptions;
    serverOptions.path = options.socketPath;
    serverOptions.logFrames = options.verbose;
    SimBusServer server(bus, serverOptions, [&log](const std::string& line) { log.Line(line); });
    if (!server.Start(error)) {
        std::fprintf(stderr, "quarzel-sim: %s\n", error.c_str());
        return 1;
    }
    g_server = &server;
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    log.Line("serving " + options.socketPath + (options.verbose ? " (verbose)" : "") + "; stop with Ctrl+C");
    server.Run();
    g_server = nullptr;
    log.Line("stopped");
    encoders.clear();
    return 0;
}
