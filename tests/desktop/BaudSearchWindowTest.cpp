// The search window: the guarded search shows it with its candidates, and closing it mid-search
// stops the search cleanly, in virtual time.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "NodeControl.h"
#include "StationHarness.h"
#include "TformBaudSearch.h"

namespace {

// The harness starts with empty variables; these are the node parameters of the tests.
void NodeParameters() {
    ScriptVariables().Set("Baudr", 2);
    ScriptVariables().Set("NodeId", 1);
    ScriptVariables().Set("Timer", 10);
    ScriptVariables().Set("TimerLong", 2000);
}

using BaudSearchWindowTest = ::testing::Test;

TEST_F(BaudSearchWindowTest, GuardedSearchShowsTheWindowAndItsCandidates) {
    StationHarness h({}, false);
    NodeParameters();
    TformBaudSearch window;
    NodeControl control(h.Runner(), window.Search());
    control.SetSearchWindow(&window);
    ASSERT_TRUE(control.Handle("mnuSearchNodeGuard"));
    EXPECT_TRUE(window.isVisible());
    h.Time().AdvanceByMs(45);
    auto* candidate = window.findChild<QLabel*>("labNode");
    ASSERT_NE(candidate, nullptr);
    EXPECT_EQ(candidate->text(), "3");
    ASSERT_TRUE(h.Time().RunUntil([&] { return !window.Search().Running(); }, h.Time().NowUs() + 60'000'000ull));
    EXPECT_EQ(candidate->text(), "127");
    EXPECT_EQ(window.findChild<QLabel*>("labResult")->text(), "Node not found");
    EXPECT_EQ(control.StatusText(), "Node not found");
    EXPECT_FALSE(control.SearchBusy());
}

TEST_F(BaudSearchWindowTest, BreakMidSearchStopsIt) {
    EncoderOptions o;
    o.kbit = 125;
    o.milliRpm = 1000;
    StationHarness h(o);
    NodeParameters();
    TformBaudSearch window;
    NodeControl control(h.Runner(), window.Search());
    control.SetSearchWindow(&window);
    ASSERT_TRUE(control.Handle("mnuSearchBaud"));
    EXPECT_TRUE(window.isVisible());
    h.Time().AdvanceByMs(1200);
    ASSERT_TRUE(window.Search().Running());
    window.findChild<QPushButton*>("btnBreak")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Search().Running());
    EXPECT_FALSE(control.SearchBusy());
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 2u);
    const size_t sent = h.StationFrames().size();
    h.Time().AdvanceByMs(20'000);
    EXPECT_EQ(h.StationFrames().size(), sent);
}

TEST_F(BaudSearchWindowTest, WindowDestroyedMidSearchLeavesNothingBehind) {
    StationHarness h({}, false);
    NodeParameters();
    auto window = std::make_unique<TformBaudSearch>();
    {
        NodeControl control(h.Runner(), window->Search());
        control.SetSearchWindow(window.get());
        control.Handle("mnuSearchNodeGuard");
        h.Time().AdvanceByMs(100);
        control.SetSearchWindow(nullptr);
    }
    window.reset();
    h.Time().AdvanceByMs(10'000);
    SUCCEED();
}

}  // namespace
