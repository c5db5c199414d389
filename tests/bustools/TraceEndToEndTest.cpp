// The trace open against the simulated encoder while the production example runs: it shows
// every frame of the bus, in order, the station's own as sent lines and the device's numbered,
// and the test passes as it does without the trace.
#include <gtest/gtest.h>

#include "StationHarness.h"
#include "TraceLogic.h"
#include "TraceTexts.h"

namespace {
const std::string kExample = std::string(QUARZEL_EXAMPLES_DIR) + "/encoder-production.tst";

// Collects every line the trace adds, across the list's clearing.
struct LineCollector {
    explicit LineCollector(const TraceList& list) : list_(list) {}
    void Take() {
        if (list_.Generation() != generation_) {
            generation_ = list_.Generation();
            taken_ = 0;
            ++clears;
        }
        for (; taken_ < list_.Size(); ++taken_) lines.push_back(list_.At(taken_).text);
    }
    std::vector<std::string> lines;
    int clears = 0;

private:
    const TraceList& list_;
    uint64_t generation_ = 0;
    size_t taken_ = 0;
};

std::string Key(const SeenFrame& f) {
    tagOPEN_Message m;
    m.id = f.id;
    m.dlc = f.rtr ? 0 : f.len;
    for (size_t i = 0; i < f.data.size(); ++i) m.data[i] = f.data[i];
    return TraceKey(m.id, m.dlc) + TraceDataText(m);
}
}  // namespace

TEST(TraceEndToEnd, ShowsEveryFrameOfTheProductionExampleWithItsSender) {
    StationHarness h;
    TraceLogic trace(h.Operator());
    trace.SetChannelShared([&h] { return h.Runner().TimerActive(); });
    LineCollector collector(trace.List());
    trace.SetListener([&collector] { collector.Take(); });
    ASSERT_TRUE(h.LoadFile(kExample));
    trace.btnStartClick();
    const size_t before = h.BusFrames().size();  // the boot-up sent before the channel opened
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.ErrorCount(), 0);
    // Whatever the run left unread, the trace reads once the run is over.
    h.Time().AdvanceByMs(20);
    collector.Take();

    // Split the lines by sender, and the bus frames likewise.
    std::vector<std::string> sent, received;
    for (const std::string& line : collector.lines) {
        const size_t at = line.find("ID:");
        ASSERT_NE(at, std::string::npos) << line;
        (line.compare(9, 9, "      T  ") == 0 || line.compare(9, 9, "      R  ") == 0 ? sent : received)
            .push_back(line.substr(at));
    }
    std::vector<std::string> busSent, busReceived;
    for (size_t i = before; i < h.BusFrames().size(); ++i) {
        const SeenFrame& f = h.BusFrames()[i];
        (f.fromStation ? busSent : busReceived).push_back(Key(f));
    }
    ASSERT_GT(busSent.size(), 40u);
    EXPECT_EQ(sent, busSent);
    EXPECT_EQ(received, busReceived);
    EXPECT_EQ(trace.DiscardedFrames(), 0u);
    EXPECT_EQ(trace.LostFrames(), 0u);
}
