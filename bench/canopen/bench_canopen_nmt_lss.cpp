// NMT, miscellaneous and LSS command figures: the station's own work per runner tick, measured
// as wall time against the virtual time the run covers (ticks of 1 ms against the simulated
// encoder). A ratio of 0.01 means the station needs 1 % of each tick.
#include <chrono>
#include <cstdio>
#include <string>

#include "StationHarness.h"

namespace {
using Clock = std::chrono::steady_clock;

std::string Header() {
    return "Baudrate: 500 kBit\nKnotenadresse: 1\nVendorID: 0x000003A2\nProduktcode: 0x5813\n"
           "Revisionsnummer: 0x00010002\nSeriennummer: 0x12345678\nEmergencyID: 0x81\nGuardingId: 0x701\n"
           "PDO1_ID: 0x181\nPDO2_ID: 0x281\nSyncId: 0x80\nTimer: 1\nMemory_dat: Memory.dat\n\n[BEFEHLE]\n";
}

std::string Step(const std::string& command, const std::string& answer = "") {
    return "[B]\n" + command + "\n" + (answer.empty() ? "" : "[A]\n" + answer + "\n");
}

struct Figure {
    double wallSeconds = 0;
    double virtualSeconds = 0;
    int rows = 0;
    int errors = 0;
};

Figure Measure(const std::string& body, int repeats) {
    Figure fig;
    for (int i = 0; i < repeats; ++i) {
        StationHarness h;
        h.WriteFile("Memory.dat", "[KONSTANTEN]\r\nDeviceName, 0x0100\r\n");
        h.Load(Header() + body);
        const uint64_t v0 = h.Time().NowUs();
        const auto t0 = Clock::now();
        h.Run();
        fig.wallSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
        fig.virtualSeconds += static_cast<double>(h.Time().NowUs() - v0) / 1e6;
        fig.rows += static_cast<int>(h.Rows().size());
        fig.errors += h.ErrorCount();
    }
    return fig;
}

void Report(const char* name, const Figure& f) {
    std::printf("%s wall per row: %.1f us\n", name, f.wallSeconds * 1e6 / (f.rows > 0 ? f.rows : 1));
    std::printf("%s overhead ratio (wall / tick time): %.4f ratio\n", name,
                f.virtualSeconds > 0 ? f.wallSeconds / f.virtualSeconds : 0.0);
    if (f.errors != 0) std::printf("%s errors: %d count\n", name, f.errors);
}
}  // namespace

int main() {
    std::string mixed = Step("B:NMT_PreOp,N:1") + Step("B:NMT_Guard", "State:0x7F") + Step("B:NMT_Start,N:1") +
                        Step("B:Sync", "Id:0x281,DLC:6,D") + Step("B:PDO1", "Id:0x181,DLC:4,D") +
                        Step("B:Gen,Id:0x601,DLC:8,D:Y0:0x40Y1:0x18Y2:0x10Y3:1Y4:Y5:Y6:Y7:", "Id:0x581,DLC:8,D") +
                        Step("B:LSS_Switch_Select_V") +
                        Step("B:LSS_Query_SerialNr", "V:0x12345678") + Step("B:LSS_Ident_Remote_Slave_V") +
                        Step("B:LSS_Switch_Global_Operate", "None");
    std::string body;
    for (int i = 0; i < 10; ++i) body += mixed;
    Report("nmt/misc/lss mixed test (Timer 1 ms)", Measure(body, 5));
    Report("Sync burst of 240 (Timer 1 ms)", Measure(Step("B:Sync,Anzahl:240", "None"), 10));
    // The simulated encoder stores every production write in its parameter file, which
    // dominates this figure; the station's share is that of the other commands.
    std::string wprog;
    for (int i = 0; i < 5; ++i) wprog += Step("B:WProg,P:DeviceName,Text:\"Encoder\"");
    Report("WProg text of 7 characters incl. device storage (Timer 1 ms)", Measure(wprog, 3));
    return 0;
}
