// The production example against the simulated encoder: the station's own time against the
// time the run's ticks take (its overhead ratio).
#include <chrono>
#include <cstdio>

#include "StationHarness.h"

int main() {
    const std::string example = std::string(QUARZEL_EXAMPLES_DIR) + "/encoder-production.tst";
    constexpr int kRuns = 50;
    double wallSeconds = 0;
    double tickSeconds = 0;
    int rows = 0;
    for (int i = 0; i < kRuns; ++i) {
        StationHarness h;
        if (!h.LoadFile(example)) {
            std::printf("production example: cannot load %s\n", example.c_str());
            return 1;
        }
        const uint64_t t0 = h.Time().NowUs();
        const auto w0 = std::chrono::steady_clock::now();
        h.Run();
        wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
        tickSeconds += static_cast<double>(h.Time().NowUs() - t0) / 1e6;
        rows = static_cast<int>(h.Rows().size());
        if (h.ErrorCount() != 0) std::printf("production example: %d errors\n", h.ErrorCount());
    }
    std::printf("production example (%d rows): %.2f ms of station time per run against %.0f ms of ticks\n",
                rows, 1000 * wallSeconds / kRuns, 1000 * tickSeconds / kRuns);
    std::printf("production example overhead ratio: %.4f\n", wallSeconds / tickSeconds);
    return 0;
}
