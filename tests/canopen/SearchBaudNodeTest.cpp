// The bit-rate, node and guarded node searches against the simulated encoder and scripted
// bus participants, in virtual time.

#include <gtest/gtest.h>

#include <deque>

#include "SearchBaudNode.h"
#include "StationHarness.h"
#include "TimeSourceTimer.h"

namespace {

class RecordingSearchPort final : public SearchReportPort {
public:
    void ShowSearchStatus(const std::string& text, StatusColor color) override {
        statuses.push_back(text);
        lastColor = color;
    }
    void ShowCandidate(int nodeId) override { candidates.push_back(nodeId); }
    void ShowSearchWindow() override { ++windowShown; }
    void ApplyNodeId(int nodeId) override { applied.push_back(nodeId); }
    void SearchEnded() override { ++ended; }

    std::vector<std::string> statuses;
    StatusColor lastColor = StatusColor::Default;
    std::vector<int> candidates;
    std::vector<int> applied;
    int windowShown = 0;
    int ended = 0;
};

// A bus participant that answers an NMT broadcast with the frames it was given (sent on the
// next millisecond, never from inside the bus's delivery).
class ScriptedNode {
public:
    ScriptedNode(VirtualBus& bus, int kbit, uint8_t trigger, std::vector<uint32_t> answerIds)
        : endpoint_(bus.CreateEndpoint("scripted")), answers_(std::move(answerIds)) {
        endpoint_->Open(kbit);
        endpoint_->SetHandler([this, trigger](const BusFrame& f) {
            if (f.id == 0 && f.len == 2 && f.data[0] == trigger) ++due_;
        });
        timer_.SetHandler([this] {
            for (; due_ > 0; --due_)
                for (uint32_t id : answers_) {
                    BusFrame f;
                    f.id = id;
                    f.len = 1;
                    endpoint_->Send(f);
                }
        });
        timer_.Start(1);
    }

private:
    std::shared_ptr<VirtualEndpoint> endpoint_;
    std::vector<uint32_t> answers_;
    int due_ = 0;
    TimeSourceTimer timer_;
};

std::vector<const SeenFrame*> NmtFrames(const StationHarness& h) {
    std::vector<const SeenFrame*> out;
    for (const auto& f : h.StationFrames())
        if (f.id == 0) out.push_back(&f);
    return out;
}

class SearchTest : public ::testing::Test {
protected:
    void Prepare(StationHarness& h, uint64_t baudr) {
        ScriptVariables().Set("Baudr", baudr);
        ScriptVariables().Set("NodeId", 1);
        ScriptVariables().Set("Timer", 10);
        ScriptVariables().Set("TimerLong", 2000);
        search_ = std::make_unique<BaudNodeSearch>();
        search_->SetReportPort(&port_);
        (void)h;
    }
    void RunToEnd(StationHarness& h) {
        ASSERT_TRUE(h.Time().RunUntil([this] { return !search_->Running(); }, h.Time().NowUs() + 600'000'000ull));
    }
    std::unique_ptr<BaudNodeSearch> search_;
    RecordingSearchPort port_;
};

EncoderOptions TurningEncoderAt(int kbit) {
    EncoderOptions o;
    o.kbit = kbit;
    o.milliRpm = 1000;  // a turning shaft sends its position once operational
    return o;
}

TEST_F(SearchTest, BitRateFoundAfterTheSlowerRatesStayedSilent) {
    StationHarness h(TurningEncoderAt(125));
    Prepare(h, 2);
    search_->StartBaudSearch();
    RunToEnd(h);

    EXPECT_EQ(search_->Found(), 1);
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 4u);
    EXPECT_EQ(search_->FoundBitRateIndex(), 4);
    EXPECT_EQ(port_.statuses, std::vector<std::string>{"Baud rate found"});
    EXPECT_EQ(port_.lastColor, StatusColor::Green);
    EXPECT_EQ(port_.ended, 1);
    EXPECT_FALSE(CanActive.load()) << "the caller reopens the channel";

    // One start broadcast at each of 10, 20, 50, 100 and 125 kbit/s, then pre-operational.
    const auto nmt = NmtFrames(h);
    ASSERT_EQ(nmt.size(), 6u);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(nmt[i]->data, (std::vector<uint8_t>{0x01, 0x00}));
    EXPECT_EQ(nmt[5]->data, (std::vector<uint8_t>{0x80, 0x00}));
    EXPECT_EQ(h.Device().State(), NmtState::PreOperational);
}

TEST_F(SearchTest, AnyFrameAtAWrongRateCountsAsTraffic) {
    // Something answering at every rate (as error frames do on a real bus) stops the search
    // at the first rate tried, although the encoder runs at 125 kbit/s.
    StationHarness h(TurningEncoderAt(125));
    ScriptedNode noise(h.Bus(), 0, 0x01, {0x123});
    Prepare(h, 2);
    search_->StartBaudSearch();
    RunToEnd(h);

    EXPECT_EQ(search_->Found(), 1);
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 8u);
    EXPECT_EQ(NmtFrames(h).size(), 2u);
}

TEST_F(SearchTest, SilenceAtEveryRateRestoresThePreviousRate) {
    StationHarness h({}, false);
    Prepare(h, 3);
    search_->StartBaudSearch();
    RunToEnd(h);

    EXPECT_EQ(search_->Found(), 0);
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 3u);
    EXPECT_EQ(search_->StatusText(), "Baud rate not found");
    EXPECT_EQ(port_.lastColor, StatusColor::Red);
    EXPECT_EQ(port_.ended, 1);
    EXPECT_EQ(NmtFrames(h).size(), 9u) << "nine rates tried";
}

TEST_F(SearchTest, ChannelThatCannotOpenEndsTheSearchSilently) {
    StationHarness h({}, false);
    Prepare(h, 2);
    auto iface = CanCurrentInterface();
    CanSetInterface(nullptr);
    search_->StartBaudSearch();
    RunToEnd(h);
    EXPECT_EQ(search_->Found(), 0);
    EXPECT_TRUE(port_.statuses.empty());
    EXPECT_EQ(port_.ended, 1);

    EXPECT_FALSE(search_->StartGuardedNodeSearch());
    EXPECT_EQ(port_.windowShown, 0);
    EXPECT_EQ(port_.ended, 2);
    CanSetInterface(iface);
}

TEST_F(SearchTest, BootUpOfTheEncoderGivesItsNodeId) {
    EncoderOptions o;
    o.nodeId = 5;
    StationHarness h(o);
    Prepare(h, 2);
    search_->StartNodeSearch();
    RunToEnd(h);

    EXPECT_EQ(search_->Found(), 1);
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 5u);
    EXPECT_EQ(port_.applied, std::vector<int>{5});
    EXPECT_EQ(search_->StatusText(), "Node found");
    const auto nmt = NmtFrames(h);
    ASSERT_EQ(nmt.size(), 1u);
    EXPECT_EQ(nmt[0]->data, (std::vector<uint8_t>{0x81, 0x00}));
    EXPECT_FALSE(CanActive.load());
}

struct AnnouncementCase {
    std::vector<uint32_t> ids;  // what the node sends after the reset broadcast, in order
    int node;                   // 0: not found
};

class NodeAnnouncementTest : public SearchTest, public ::testing::WithParamInterface<AnnouncementCase> {};

TEST_P(NodeAnnouncementTest, OnlyBootUpAndEmergencyNameANode) {
    StationHarness h({}, false);
    ScriptedNode node(h.Bus(), 500, 0x81, GetParam().ids);
    Prepare(h, 2);
    search_->StartNodeSearch();
    RunToEnd(h);

    const int expected = GetParam().node;
    EXPECT_EQ(search_->Found(), expected ? 1 : 0);
    EXPECT_EQ(ScriptVariables().Get("NodeId"), expected ? static_cast<uint32_t>(expected) : 1u);
    EXPECT_EQ(search_->StatusText(), expected ? "Node found" : "Node not found");
    EXPECT_EQ(port_.ended, 1) << "a failed node search ends too (the connect sequence waits for it)";
}

INSTANTIATE_TEST_SUITE_P(Identifiers, NodeAnnouncementTest,
                         ::testing::Values(AnnouncementCase{{0x705}, 5}, AnnouncementCase{{0x085}, 5},
                                           AnnouncementCase{{0x77F}, 127}, AnnouncementCase{{0x0FF}, 127},
                                           AnnouncementCase{{0x701}, 1}, AnnouncementCase{{0x081}, 1},
                                           AnnouncementCase{{0x185}, 0}, AnnouncementCase{{0x700}, 0},
                                           AnnouncementCase{{0x080}, 0}, AnnouncementCase{{0x780}, 0},
                                           AnnouncementCase{{0x585}, 0}, AnnouncementCase{{0x7E4}, 0},
                                           AnnouncementCase{{0x185, 0x706, 0x123}, 6},
                                           AnnouncementCase{{}, 0}));

TEST(NodeIdFromAnnouncement, Bounds) {
    EXPECT_EQ(NodeIdFromAnnouncement(0x700), 0);
    EXPECT_EQ(NodeIdFromAnnouncement(0x701), 1);
    EXPECT_EQ(NodeIdFromAnnouncement(0x77F), 127);
    EXPECT_EQ(NodeIdFromAnnouncement(0x780), 0);
    EXPECT_EQ(NodeIdFromAnnouncement(0x080), 0);
    EXPECT_EQ(NodeIdFromAnnouncement(0x081), 1);
    EXPECT_EQ(NodeIdFromAnnouncement(0x0FF), 127);
    EXPECT_EQ(NodeIdFromAnnouncement(0x100), 0);
}

TEST_F(SearchTest, GuardedSearchWithoutDeviceTriesEveryNodeId) {
    StationHarness h({}, false);
    Prepare(h, 2);
    ASSERT_TRUE(search_->StartGuardedNodeSearch());
    EXPECT_EQ(port_.windowShown, 1);
    RunToEnd(h);

    std::vector<int> shown;
    for (int n = 2; n <= 127; ++n) shown.push_back(n);
    EXPECT_EQ(port_.candidates, shown);
    EXPECT_EQ(search_->StatusText(), "Node not found");
    EXPECT_EQ(port_.lastColor, StatusColor::Red);
    EXPECT_EQ(search_->Found(), 0);
    EXPECT_EQ(port_.ended, 1);

    const auto nmt = NmtFrames(h);
    ASSERT_EQ(nmt.size(), 127u);
    for (size_t i = 0; i < nmt.size(); ++i)
        EXPECT_EQ(nmt[i]->data, (std::vector<uint8_t>{0x01, static_cast<uint8_t>(i + 1)}));
}

TEST_F(SearchTest, GuardedSearchAsksBeforeApplyingTheNode) {
    EncoderOptions o = TurningEncoderAt(500);
    o.nodeId = 3;
    {
        StationHarness h(o);
        Prepare(h, 2);
        h.Operator().yesNoAnswers.push_back(true);
        ASSERT_TRUE(search_->StartGuardedNodeSearch());
        RunToEnd(h);
        EXPECT_EQ(search_->Found(), 1);
        EXPECT_EQ(ScriptVariables().Get("NodeId"), 3u);
        EXPECT_EQ(port_.applied, std::vector<int>{3});
        ASSERT_FALSE(h.Operator().calls.empty());
        EXPECT_EQ(h.Operator().calls.back().text, "Node found. \n 3 \n apply ?");
        EXPECT_EQ(h.Operator().calls.back().title, "SUCHEN KNOTEN");
        search_.reset();
    }
    port_ = {};
    StationHarness h(o);
    Prepare(h, 2);
    h.Operator().yesNoAnswers.push_back(false);
    ASSERT_TRUE(search_->StartGuardedNodeSearch());
    RunToEnd(h);
    EXPECT_EQ(search_->Found(), 0);
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 1u);
    EXPECT_TRUE(port_.applied.empty());
    EXPECT_EQ(port_.ended, 1);
}

TEST_F(SearchTest, ClosingMidSearchStopsEverythingAndRestoresTheRate) {
    StationHarness h(TurningEncoderAt(125));
    Prepare(h, 2);
    search_->StartBaudSearch();
    h.Time().AdvanceByMs(1500);
    ASSERT_TRUE(search_->Running());
    search_->Close();
    EXPECT_FALSE(search_->Running());
    EXPECT_EQ(port_.ended, 1);
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 2u);
    const size_t sent = h.StationFrames().size();
    h.Time().AdvanceByMs(10'000);
    EXPECT_EQ(h.StationFrames().size(), sent);
    search_->Close();
    EXPECT_EQ(port_.ended, 1) << "closing an idle window reports nothing";

    // Destroyed while running: its timers go with it.
    search_->StartNodeSearch();
    h.Time().AdvanceByMs(15);
    search_.reset();
    h.Time().AdvanceByMs(5000);
}

TEST_F(SearchTest, ANewStartReplacesTheRunningSearch) {
    EncoderOptions o;
    o.nodeId = 9;
    StationHarness h(o);
    Prepare(h, 2);
    search_->StartBaudSearch();
    h.Time().AdvanceByMs(200);
    search_->StartNodeSearch();
    EXPECT_FALSE(search_->BaudSearchActive());
    RunToEnd(h);
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 9u);
    EXPECT_EQ(search_->LastKind(), BaudNodeSearch::Kind::Node);
}

}  // namespace

// The script commands wait for the search through the hooks the programs install.
#include "NmtLssFixture.h"
#include "SearchHooks.h"

namespace {

class ScriptSearchTest : public ::testing::Test {
protected:
    void Install() {
        search_ = std::make_unique<BaudNodeSearch>();
        InstallSearchHooks(search_.get());
    }
    void TearDown() override {
        InstallSearchHooks(nullptr);
        search_.reset();
    }
    std::unique_ptr<BaudNodeSearch> search_;
};

TEST_F(ScriptSearchTest, SearchesFindRateAndNodeAndTheTestGoesOn) {
    EncoderOptions o = TurningEncoderAt(125);
    o.nodeId = 5;
    StationHarness h(o);
    Install();
    ASSERT_TRUE(h.Load(Header() + Step("B:BEF_SearchBaud") + Step("B:BEF_SearchNode") +
                       Step("B:SDO_UpInit,Index:1018,Sub:4", "Value:0x12345678")));
    ASSERT_TRUE(h.Run());

    EXPECT_EQ(h.EndReason(), RunEnd::Finished);
    EXPECT_EQ(h.ErrorCount(), 0);
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 4u);
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 5u);
    const auto rows = StepRows(h);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].command, "BEF_SearchBaud");
    EXPECT_EQ(rows[1].command, "BEF_SearchNode");
    EXPECT_TRUE(h.Operator().Messages().empty());
}

TEST_F(ScriptSearchTest, BitRateSearchWithoutDeviceEndsTheRun) {
    StationHarness h({}, false);
    Install();
    ASSERT_TRUE(h.Load(Header() + Step("B:BEF_SearchBaud") + Step("B:NMT_Start,N:1")));
    ASSERT_TRUE(h.Run());

    EXPECT_EQ(h.EndReason(), RunEnd::Abandoned);
    EXPECT_EQ(h.Operator().Messages(),
              std::vector<std::string>{"SEARCH BAUD RATE: Baud rate not found\nTest wird abgebrochen"});
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 2u) << "the previous rate comes back";
    for (const auto& f : h.StationFrames()) EXPECT_NE(f.data, (std::vector<uint8_t>{0x01, 0x01})) << "NMT_Start never ran";
}

TEST_F(ScriptSearchTest, NodeSearchWithoutDeviceEndsTheRun) {
    StationHarness h({}, false);
    Install();
    ASSERT_TRUE(h.Load(Header() + Step("B:BEF_SearchNode") + Step("B:NMT_Start,N:1")));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::Abandoned);
    EXPECT_EQ(h.Operator().Messages(),
              std::vector<std::string>{"KNOTEN SUCHEN: Node not found\nTest wird abgebrochen"});
}

}  // namespace
