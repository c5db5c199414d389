// HEX parsing in MiB/s of file text on a 4 MB file, side by side with Debian's python3-intelhex
// on the same file; programming a 32 KB image into the simulated controller at 1 Mbit/s with
// bus timing, as bytes/s and as a share of the protocol's ceiling (each 8-byte data frame
// answered by a 1-byte acknowledgement).

#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>

#include "BootloaderClient.h"
#include "CanChannel.h"
#include "CanSettings.h"
#include "IntelHex.h"
#include "SimBootloader.h"
#include "VirtualCanInterface.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

std::string FourMegabyteFile() {
    std::mt19937 rng(5);
    HexImage image{0x08000000, {}};
    std::string text;
    // Blocks with gaps across many 64 KiB pages, 16 bytes a line, until the text reaches 4 MB.
    while (text.size() < 4u * 1024u * 1024u) {
        image.bytes.assign(4096, 0);
        for (auto& b : image.bytes) b = static_cast<uint8_t>(rng());
        std::string part = WriteIntelHex(image, 16);
        part.resize(part.size() - 13);  // without the end record
        text += part;
        image.start += 0x1800;
    }
    return text + ":00000001FF\r\n";
}

void HexParsing() {
    const std::string text = FourMegabyteFile();
    const double mib = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    double best = 1e9;
    IntelHexFile file;
    for (int i = 0; i < 7; ++i) {
        const auto a = Clock::now();
        file.Read(text);
        best = std::min(best, Seconds(a, Clock::now()));
    }
    const double ours = mib / best;
    std::printf("prog_hex_parse: %.1f MiB/s (%.2f MiB, %zu records)\n", ours, mib, file.Records().size());

    QTemporaryDir dir;
    const QString path = dir.filePath("bench.hex");
    std::ofstream(path.toStdString(), std::ios::binary) << text;
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c", "import sys,time,intelhex\nbest=1e9\nfor i in range(3):\n t=time.perf_counter();"
                        "intelhex.IntelHex(sys.argv[1]);best=min(best,time.perf_counter()-t)\nprint(best)",
                  path});
    if (!python.waitForFinished(300000) || python.exitCode() != 0) {
        std::printf("prog_hex_parse_python_intelhex: unavailable (install python3-intelhex)\n");
        return;
    }
    const double seconds = python.readAllStandardOutput().trimmed().toDouble();
    if (seconds <= 0) return;
    std::printf("prog_hex_parse_python_intelhex: %.2f MiB/s\n", mib / seconds);
    std::printf("prog_hex_parse_ratio: %.0f x python3-intelhex\n", ours * seconds / mib);
}

void Programming() {
    auto bus = VirtualBus::Create();
    bus->SetBusTiming(true);
    SimBootloaderOptions options;
    options.kbit = 1000;
    SimBootloader device(bus, options);
    auto station = std::make_shared<VirtualCanInterface>(bus, "station");
    CanSetInterface(station);
    DefaultCanSettings().SetVariable("Baudr", 0);  // 1000 kbit/s
    if (!CanOpen()) {
        std::printf("prog_program_32k: channel did not open\n");
        return;
    }
    std::vector<uint8_t> image(32 * 1024);
    std::mt19937 rng(9);
    for (auto& b : image) b = static_cast<uint8_t>(rng());
    BootloaderClient client(0);
    client.SelectNode(true);
    const auto a = Clock::now();
    const bool ok = client.Program(BL_MEM_FLASH, 0, image, {});
    const double seconds = Seconds(a, Clock::now()) - kSettleMs / 1000.0;  // without the closing pause
    client.SelectNode(false);
    CanClose();
    CanSetInterface(nullptr);

    BusFrame data;
    data.len = 8;
    BusFrame ack;
    ack.len = 1;
    const double ceiling = 8.0 * 1e6 / static_cast<double>(CanFrameBitLength(data) + CanFrameBitLength(ack));
    const double rate = static_cast<double>(image.size()) / seconds;
    std::printf("prog_program_32k_1mbit: %.0f bytes/s%s\n", rate, ok ? "" : " (FAILED)");
    std::printf("prog_program_ceiling_1mbit: %.0f bytes/s\n", ceiling);
    std::printf("prog_program_share_of_ceiling: %.0f %%\n", 100.0 * rate / ceiling);
}
}  // namespace

int main() {
    HexParsing();
    Programming();
    return 0;
}
