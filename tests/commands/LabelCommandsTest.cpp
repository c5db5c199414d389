#include <gtest/gtest.h>

#include "Dispatcher.h"
#include "LabelCommands.h"
#include "NamedValueList.h"

namespace {
class LabelCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCommandRegistry();
        RegisterLabelCommands();
        LoopCounters().Clear();
        CurrentRun() = ScriptRun{};
        auto& ins = CurrentTest().instructions;
        ins = {Make("B:Marke", "Name:First", "", 2), Make("B:Marke", "Name:Loop", "", 4),
               Make("B:BEF_GoTo_Marke", "Name:Loop", "Anzahl:3", 6)};
    }
    void TearDown() override {
        ClearCommandRegistry();
        FreeTestFile();
        LoopCounters().Clear();
    }
    static TestInstruction Make(std::string c, std::string p1, std::string p2, uint32_t line) {
        TestInstruction i;
        i.command = std::move(c);
        i.param1 = std::move(p1);
        i.param2 = std::move(p2);
        i.lineNumber = line;
        return i;
    }
    // Runs the GoTo once; returns the requested jump (0: none).
    uint32_t GoTo(const TestInstruction& ins) {
        CurrentRun().jumpTarget = 0;
        EXPECT_TRUE(DispatchInstruction(std::vector<TestInstruction>{ins}, 0));
        return CurrentRun().jumpTarget;
    }
    const ProtocolLine& Line() { return CurrentRun().protocolLine; }
};
}  // namespace

TEST_F(LabelCommandsTest, MarkeOnlyWritesItsRow) {
    EXPECT_TRUE(DispatchInstruction(CurrentTest().instructions, 1));
    EXPECT_EQ(Line().commandText, "Marke  B:Marke  Name:Loop  ");
    EXPECT_TRUE(Line().transmit);
    EXPECT_FALSE(Line().valueShown);
    EXPECT_EQ(Line().status, STATUS_OK);
    EXPECT_EQ(CurrentRun().jumpTarget, 0u);
    EXPECT_FALSE(CurrentRun().pendingStep);
}

TEST_F(LabelCommandsTest, CountThreeJumpsThreeTimesThenFallsThrough) {
    const TestInstruction go = CurrentTest().instructions[2];
    EXPECT_EQ(GoTo(go), 1u);
    EXPECT_EQ(Line().commandText, "BEF_GoTo_Marke Name:Loop");
    EXPECT_EQ(Line().status, STATUS_OK);
    EXPECT_EQ(GoTo(go), 1u);
    EXPECT_EQ(GoTo(go), 1u);
    EXPECT_EQ(GoTo(go), 0u);
    EXPECT_FALSE(LoopCounters().Find("Name:Loop"));
    // The loop is done: the next pass starts a new loop.
    EXPECT_EQ(GoTo(go), 1u);
}

TEST_F(LabelCommandsTest, CountBelowOneMakesNoJump) {
    for (const char* count : {"Anzahl:0", "Anzahl:0-1"}) {
        EXPECT_EQ(GoTo(Make("B:BEF_GoTo_Marke", "Name:Loop", count, 6)), 0u) << count;
        EXPECT_EQ(Line().status, STATUS_OK);
        EXPECT_FALSE(LoopCounters().Find("Name:Loop"));
    }
}

TEST_F(LabelCommandsTest, ErrorsMakeNoJump) {
    EXPECT_EQ(GoTo(Make("B:BEF_GoTo_Marke", "Name:Loop", "Anzahl:x", 6)), 0u);
    EXPECT_EQ(Line().commandText, "BEF_GoTo_Marke Name:Loop    !Syntax error");
    EXPECT_EQ(Line().status, STATUS_ERR_SYN);

    EXPECT_EQ(GoTo(Make("B:BEF_GoTo_Marke", "Name:Nowhere", "Anzahl:2", 6)), 0u);
    EXPECT_EQ(Line().commandText, "BEF_GoTo_Marke Name:Nowhere    wrong jump label");
    EXPECT_EQ(Line().status, STATUS_ERR_SYN);

    // A label on the first instruction is never found.
    EXPECT_EQ(GoTo(Make("B:BEF_GoTo_Marke", "Name:First", "Anzahl:2", 6)), 0u);
    EXPECT_EQ(Line().status, STATUS_ERR_SYN);

    // A parameter shorter than "Name:" gives an empty label, not a crash.
    EXPECT_EQ(GoTo(Make("B:BEF_GoTo_Marke", "N", "Anzahl:2", 6)), 0u);
    EXPECT_EQ(Line().status, STATUS_ERR_SYN);
    EXPECT_EQ(LoopCounters().Size(), 0u);
}
