#include <gtest/gtest.h>

#include "BefSearchHook.h"
#include "BefTestSupport.h"
#include "LoadParam.h"

namespace {
std::string Mark(const std::string& name) { return Step("B:Marke,Name:" + name); }

LoadParamState StateOf(const std::string& variable) {
    for (const auto& r : CurrentParameterLoad().Results())
        if (r.variable == variable) return r.state;
    return LoadParamState::Pending;
}
}  // namespace

TEST(LoadParam, ReadsTheNodeParametersAndGoesOn) {
    EncoderOptions o;
    o.nodeId = 3;
    StationHarness h(o);
    for (const auto& entry : LoadParamEntries()) ScriptVariables().Remove(entry.variable);
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_LoadPara") + Mark("after")));
    ScriptVariables().Set("NodeId", 3);
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(StepCommands(h), (std::vector<std::string>{"BEF_LoadPara", "Marke  B:Marke  Name:after"}));
    EXPECT_FALSE(CurrentParameterLoad().IsRunning());
    EXPECT_TRUE(CanActive);

    EXPECT_EQ(ScriptVariables().Get("Pdo1Id"), 0x183u);
    EXPECT_EQ(ScriptVariables().Get("Pdo2Id"), 0x283u);
    EXPECT_EQ(ScriptVariables().Get("EMCId"), 0x83u);
    EXPECT_EQ(ScriptVariables().Get("GuardId"), 0x703u);  // from the second object tried
    EXPECT_EQ(ScriptVariables().Get("SyncId"), 0x80u);
    EXPECT_EQ(ScriptVariables().Get("VendorId"), 0x3A2u);
    EXPECT_EQ(ScriptVariables().Get("ProdCode"), 0x5813u);
    EXPECT_EQ(ScriptVariables().Get("RevNr"), 0x10002u);
    EXPECT_EQ(ScriptVariables().Get("SerialNr"), 0x12345678u);
    EXPECT_EQ(ScriptVariables().Get("TotalSteps"), 8192u * 4096u);
    // The simulated encoder has no SRDO: not found, and the variables stay as they were.
    EXPECT_EQ(StateOf("Srdo1Id"), LoadParamState::NotFound);
    EXPECT_EQ(StateOf("Srdo2Id"), LoadParamState::NotFound);
    EXPECT_FALSE(ScriptVariables().Find("Srdo1Id").has_value());
    EXPECT_EQ(StateOf("Pdo1Id"), LoadParamState::Loaded);

    const auto& results = CurrentParameterLoad().Results();
    ASSERT_EQ(results.size(), 12u);
    EXPECT_EQ(LoadParamResultText(results[0]), "Pdo1Id      0x183  (0x1800 sub 1)  loaded");
    EXPECT_EQ(LoadParamResultText(results[3]), "GuardId     0x703  (0x2003 sub 0)  loaded");
    EXPECT_EQ(LoadParamResultText(results[10]), "Srdo1Id     not found");
}

TEST(LoadParam, SilentDeviceGivesNotFoundForAllAndStops) {
    StationHarness h(EncoderOptions{}, false);
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_LoadPara") + Mark("after")));
    ScriptVariables().Set("Pdo1Id", 0x1AB);
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(StepCommands(h).size(), 2u);
    for (const auto& r : CurrentParameterLoad().Results()) EXPECT_EQ(r.state, LoadParamState::NotFound) << r.variable;
    // A value not found leaves what the test file set.
    EXPECT_EQ(ScriptVariables().Get("Pdo1Id"), 0x1ABu);
    EXPECT_FALSE(CurrentParameterLoad().IsRunning());
}

TEST(BefSearch, WithoutSearchTheRunEndsWithTheMessage) {
    CurrentBefSearchHooks() = {};
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_SearchBaud") + Mark("after")));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::Abandoned);
    EXPECT_EQ(StepCommands(h), std::vector<std::string>{"BEF_SearchBaud"});
    EXPECT_EQ(h.Operator().Messages(),
              std::vector<std::string>{"SEARCH BAUD RATE: Baud rate not found\nTest wird abgebrochen"});

    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_SearchNode") + Mark("after")));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::Abandoned);
    EXPECT_EQ(h.Operator().Messages().back(), "KNOTEN SUCHEN: Node not found\nTest wird abgebrochen");
}

TEST(BefSearch, WaitsForTheSearchAndResumesWhenFound) {
    StationHarness h;
    // The search runs for three looks of the wait timer, then reports the node found.
    int looks = 0;
    BefSearch search;
    search.start = [] { return true; };
    search.running = [&] { return ++looks < 3; };
    search.found = [&] { return looks >= 2; };
    CurrentBefSearchHooks().node = search;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_SearchNode") + Mark("after")));
    ASSERT_TRUE(h.Run());
    CurrentBefSearchHooks() = {};
    EXPECT_EQ(h.EndReason(), RunEnd::Finished);
    EXPECT_EQ(StepCommands(h), (std::vector<std::string>{"BEF_SearchNode", "Marke  B:Marke  Name:after"}));
    EXPECT_TRUE(h.Operator().Messages().empty());
    EXPECT_TRUE(CanActive);
}
