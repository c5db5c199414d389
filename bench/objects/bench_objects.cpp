// Object tools: loading a 1 MB EDS with thousands of objects, and reading every entry of the
// simulated encoder's EDS at 500 kbit/s with bus timing, against the time the bus itself needs
// for those frames.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "AppCanSettings.h"
#include "CanChannel.h"
#include "Configuration.h"
#include "EdsReader.h"
#include "NamedValueList.h"
#include "ObjectBrowser.h"
#include "SilentOperator.h"
#include "SimEncoder.h"
#include "TextLines.h"
#include "VirtualCanInterface.h"
#include "VirtualTimeSource.h"

namespace {
// A vendor-like EDS: every fourth object a record of four sub-entries, comments and blank lines
// as tools write them, CR LF line ends.
std::string BigEds(size_t targetBytes, size_t& objects) {
    std::string body, list;
    objects = 0;
    auto var = [&](const std::string& section, const std::string& name, int type, const char* access) {
        body += "[" + section + "]\r\nParameterName=" + name + "\r\nObjectType=0x7\r\nDataType=0x" +
                std::to_string(type) + "\r\nAccessType=" + access +
                "\r\nDefaultValue=$NODEID+0x180\r\nPDOMapping=0\r\nLowLimit=0\r\nHighLimit=0xFFFFFFFF\r\n\r\n";
    };
    while (body.size() < targetBytes) {
        const uint32_t index = 0x2000 + static_cast<uint32_t>(objects);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", index);
        ++objects;
        list += std::to_string(objects) + "=0x" + hex + "\r\n";
        if (objects % 4 == 0) {
            body += std::string("[") + hex + "]\r\nParameterName=Manufacturer record " + hex +
                    "\r\nObjectType=0x9\r\nSubNumber=4\r\n\r\n";
            for (int sub = 0; sub < 4; ++sub)
                var(std::string(hex) + "sub" + std::to_string(sub), "Record entry " + std::to_string(sub), 7, "rw");
        } else {
            var(hex, std::string("Manufacturer parameter ") + hex, 7, "rw");
        }
    }
    return "[FileInfo]\r\nFileName=big.eds\r\n\r\n[MandatoryObjects]\r\nSupportedObjects=0\r\n\r\n"
           "[ManufacturerObjects]\r\nSupportedObjects=" +
           std::to_string(objects) + "\r\n" + list + "\r\n" + body;
}

void LoadBench() {
    size_t objects = 0;
    const std::string text = BigEds(1u << 20, objects);
    std::vector<double> ms;
    size_t entries = 0;
    for (int run = 0; run < 15; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const EdsLoadResult r = LoadObjects(SplitLines(text));
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        entries = r.ok ? r.entries.size() : 0;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("eds_load_1mb_size: %zu bytes, %zu objects, %zu entries\n", text.size(), objects, entries);
    std::printf("eds_load_1mb_median: %.1f ms (target <= 50 ms)\n", ms[ms.size() / 2]);
    std::printf("eds_load_1mb_worst: %.1f ms\n", ms.back());
}

void UploadBench(const char* eds) {
    ScopedVirtualTime time;
    AppCanSettings settings(AppConfiguration());
    SetCanSettings(&settings);
    auto bus = VirtualBus::Create();
    bus->SetBusTiming(true);
    uint64_t busBits = 0;
    bus->SetMonitor([&](const VirtualEndpoint&, const BusFrame& f) { busBits += CanFrameBitLength(f); });
    EncoderOptions options;
    SimEncoder device(bus, options);
    CanSetInterface(std::make_shared<VirtualCanInterface>(bus, "station"));
    ScriptVariables().Set("NodeId", 1);
    ScriptVariables().Set("Baudr", 2);  // 500 kbit/s
    ScriptVariables().Set("Timer", 1);
    CanOpen();
    SilentOperator op;
    ObjectBrowser browser(op);
    if (!browser.LoadFile(eds)) return;
    const auto wallStart = std::chrono::steady_clock::now();
    const uint64_t start = time->NowUs();
    browser.btnUploadClick();
    time->RunUntil([&] { return !browser.UploadRunning(); }, start + 600'000'000ull);
    const double virtualMs = static_cast<double>(time->NowUs() - start) / 1000.0;
    const double wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    const double busMs = static_cast<double>(busBits) / 500.0;  // bits at 500 kbit/s
    std::printf("upload_all_encoder_entries: %zu entries, %zu of them read\n", browser.ProgressTotal(), browser.Progress());
    std::printf("upload_all_encoder_500k_time: %.1f ms of station time (Timer 1 ms)\n", virtualMs);
    std::printf("upload_all_encoder_500k_bus_time: %.1f ms of frames on the wire\n", busMs);
    std::printf("upload_all_encoder_500k_bus_share: %.2f (bus time / upload time)\n", busMs / virtualMs);
    std::printf("upload_all_encoder_host_cpu: %.1f ms of wall time for the whole run\n", wallMs);
    CanClose();
    CanSetInterface(nullptr);
    SetCanSettings(nullptr);
}
}  // namespace

int main() {
    LoadBench();
    UploadBench(QUARZEL_EXAMPLES_DIR "/qz-encoder-5813.eds");
    return 0;
}
